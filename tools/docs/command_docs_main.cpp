// korvo-command-docs NOTES OUT.md: the command reference, made from the command table (every
// command with its parameters, their types and defaults, grouped by module) and the one line
// per command in NOTES. A command without its line, or a line naming no command, fails.
#include <cstdio>
#include <fstream>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "host/runtime_module.h"
#include "output_file.h"
#include "sdk/signature.h"
#include "startup/runtime_modules.h"

namespace {

using korvo::tools::Signature;

// The registration texts of one module's commands (internal symbols left out).
class ModuleCommands : public korvo::Registrar {
 public:
  void add(const char* text, void*) override {
    if (text[0] != '_') texts.push_back(text);
  }
  std::vector<std::string> texts;
};

const char* typeName(char sigil) {
  switch (sigil) {
    case '%': return "int";
    case '#': return "float";
    case '$': return "string";
    default: return "";
  }
}

// "int Rand(int from, int to = 1)".
std::string synopsis(const Signature& s) {
  std::string text = s.result ? std::string(typeName(s.result)) + " " : std::string();
  text += s.name + "(";
  for (std::size_t i = 0; i < s.parameters.size(); ++i) {
    const korvo::tools::Parameter& p = s.parameters[i];
    text += (i ? ", " : "") + std::string(typeName(p.sigil)) + " " + p.name;
    if (!p.defaultValue.empty()) text += " = " + p.defaultValue;
  }
  return text + ")";
}

// "Name: line" per command; blank lines and lines starting with '#' are skipped.
bool readNotes(const char* path, std::map<std::string, std::string>& notes) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "korvo-command-docs: %s: cannot read\n", path);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos || !notes.emplace(line.substr(0, colon), line.substr(colon + 2)).second) {
      std::fprintf(stderr, "korvo-command-docs: %s:%d: not \"Name: what it does\", or a second line for it\n", path,
                   number);
      return false;
    }
  }
  return true;
}

constexpr char kPrologue[] = R"(# Korvo commands

Every command of the runtime, by module, with its parameters (and their defaults) and what
it does. Made at build time from the runtime's command table and
`tools/docs/command_notes.txt` (`build/docs/commands.md`; a test checks that this copy is the
same): do not edit it by hand.

Types: `int` is a 32-bit integer (`int32_t`), `float` a 32-bit float, `string` a runtime
string (`KvString*` in C: a string passed to a command is the command's, a string it returns
is yours to release). In C a command is `_f` + its name in small letters (`LoadImage` is
`_floadimage` in `korvo.h`), a parameter with a default must still be given; in C++
(`korvo.hpp`) it keeps its name in `namespace korvo` and its defaults.
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: korvo-command-docs NOTES OUT.md\n");
    return 2;
  }
  std::map<std::string, std::string> notes;
  if (!readNotes(argv[1], notes)) return 1;

  std::vector<std::pair<std::string, std::vector<std::string>>> modules;
  ModuleCommands runtime;
  korvo::registerRuntimeCommands(runtime);
  modules.emplace_back("runtime", runtime.texts);
  for (const korvo::RuntimeModule& module : korvo::runtimeModules()) {
    if (!module.registerCommands) continue;
    ModuleCommands commands;
    module.registerCommands(commands);
    if (!commands.texts.empty()) modules.emplace_back(module.name, commands.texts);
  }

  std::string text = kPrologue;
  int missing = 0;
  for (const auto& [name, texts] : modules) {
    text += "\n## " + name + "\n\n";
    for (const std::string& registration : texts) {
      const Signature s = korvo::tools::parseSignature(registration.c_str());
      const auto note = notes.find(s.name);
      if (note == notes.end()) {
        std::fprintf(stderr, "korvo-command-docs: %s: no line for %s (add \"%s: what it does\")\n", argv[1],
                     s.name.c_str(), s.name.c_str());
        ++missing;
        continue;
      }
      text += "- `" + synopsis(s) + "`: " + note->second + "\n";
      notes.erase(note);
    }
  }
  for (const auto& [name, line] : notes) {
    std::fprintf(stderr, "korvo-command-docs: %s: a line for %s, which is no command\n", argv[1], name.c_str());
    ++missing;
  }
  if (missing) return 1;
  std::string error;
  if (!korvo::tools::replaceFile(argv[2], std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                                 0666, error)) {
    std::fprintf(stderr, "korvo-command-docs: %s: cannot write: %s\n", argv[2], error.c_str());
    return 1;
  }
  return 0;
}
