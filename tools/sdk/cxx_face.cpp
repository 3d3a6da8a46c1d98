#include "sdk/cxx_face.h"

#include "startup/command_table.h"
#include "sdk/signature.h"

namespace korvo::tools {
namespace {

// Commands whose names the C++ face gives to its own types.
std::string commandName(const std::string& name) { return name == "String" ? name + "_" : name; }

const char* cxxType(char sigil) { return sigil == '$' ? "String" : cType(sigil); }

// "%Rand%from%to=1" ->
// "inline int32_t Rand(int32_t from, int32_t to = 1) { return ::_frand(from, to); }"
std::string wrapper(const char* text) {
  const Signature s = parseSignature(text);
  std::string parameters;
  std::string arguments;
  for (const Parameter& p : s.parameters) {
    const std::string name = safeName(p.name);
    if (!parameters.empty()) parameters += ", ";
    parameters += std::string(cxxType(p.sigil)) + " " + name;
    if (!p.defaultValue.empty())
      parameters +=
          " = " + p.defaultValue + (p.sigil == '#' && p.defaultValue.find('.') == std::string::npos ? ".0f" : "");
    if (!arguments.empty()) arguments += ", ";
    arguments += p.sigil == '$' ? name + ".release()" : name;
  }
  const std::string call = "::" + linkerName(text) + "(" + arguments + ")";
  std::string body;
  if (s.result == '$') {
    body = "return String::adopt(" + call + ");";
  } else if (s.result) {
    body = "return " + call + ";";
  } else {
    body = call + ";";
  }
  return "inline " + std::string(s.result ? cxxType(s.result) : "void") + " " + commandName(s.name) + "(" + parameters +
         ") { " + body + " }";
}

constexpr char kPrologue[] =
    R"(// korvo.hpp: the runtime's commands for programs in freestanding C++, in namespace korvo
// under their own names (Graphics, LoadAnimImage, KeyDown, ...), with the command table's
// defaults. Generated from the command table; do not edit.
//
// Strings are korvo::String values: a command's string arguments are handed over (a
// variable passed by name is copied first) and its string results come back owned, so no
// program leaks or frees a string twice. The command String$ is String_ here, since
// korvo::String is the string type. Arrays, user types and data statements are in
// korvo_language.hpp, included below. C programs use korvo.h.
#ifndef KORVO_HPP
#define KORVO_HPP

#include "korvo.h"
#include "korvo_string.hpp"
#include "korvo_language.hpp"

namespace korvo {

)";

constexpr char kEpilogue[] = R"(
}  // namespace korvo

#endif  // KORVO_HPP
)";

}  // namespace

std::string cxxFace(const std::vector<std::string>& commands) {
  std::string text = kPrologue;
  for (const std::string& command : commands) text += wrapper(command.c_str()) + "\n";
  return text + kEpilogue;
}

}  // namespace korvo::tools
