// korvo-sdk-header OUT.h: writes korvo.h, the declarations of every command and internal
// symbol of the runtime's command table under its linker-facing name, for programs written
// in C or freestanding C++.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <span>
#include <set>
#include <string>

#include "host/command_table.h"
#include "host/runtime_interface.h"
#include "output_file.h"
#include "sdk/internal_routines.h"

namespace {

using korvo::tools::InternalRoutine;

// Parameter names that C or C++ reserve get a trailing underscore.
const std::set<std::string> kKeywords = {
    "alignas", "alignof", "and", "asm", "auto", "bool", "break", "case", "catch", "char", "class", "const",
    "constexpr", "continue", "default", "delete", "do", "double", "else", "enum", "explicit", "export",
    "extern", "false", "float", "for", "friend", "goto", "if", "inline", "int", "long", "mutable",
    "namespace", "new", "not", "operator", "or", "private", "protected", "public", "register", "restrict",
    "return", "short", "signed", "sizeof", "static", "struct", "switch", "template", "this", "throw",
    "true", "try", "typedef", "typename", "union", "unsigned", "using", "virtual", "void", "volatile",
    "while", "xor",
};

const char* cType(char sigil) {
  switch (sigil) {
    case '%': return "int32_t";
    case '#': return "float";
    case '$': return "KvString*";
    default: return nullptr;
  }
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// "%Rand%from%to=1" -> "int32_t _frand(int32_t from, int32_t to /* = 1 */);"
std::string commandDeclaration(const char* text) {
  const char* p = text;
  const char* result = cType(*p) ? cType(*p++) : "void";
  while (isNameChar(*p)) ++p;
  std::string arguments;
  while (const char* type = cType(*p)) {
    const char* start = ++p;
    while (isNameChar(*p)) ++p;
    std::string name(start, p);
    if (kKeywords.count(name)) name += '_';
    if (!arguments.empty()) arguments += ", ";
    arguments += std::string(type) + " " + name;
    if (*p == '=') {
      const char* value = ++p;
      if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p ? p + 1 : value + std::strlen(value);
      } else {
        while (*p == '-' || std::isdigit(static_cast<unsigned char>(*p))) ++p;
      }
      arguments += " /* = " + std::string(value, p) + " */";
    }
  }
  return std::string(result) + " " + korvo::linkerName(text) + "(" + (arguments.empty() ? "void" : arguments) +
         ");  /* " + text + " */";
}

const InternalRoutine* findInternal(const char* text) {
  for (const InternalRoutine& r : korvo::tools::kInternalRoutines) {
    if (std::strcmp(r.text, text) == 0) return &r;
  }
  return nullptr;
}

constexpr char kPrologue[] = R"(/* korvo.h: the runtime's commands and internal symbols, declared under the names a
 * program module refers to them by. Generated from the command table; do not edit.
 *
 * A program is C or freestanding C++ compiled for x86-64 with -fno-pic -mcmodel=small and
 * without unwind tables; it defines __MAIN, its main code. Strings passed to a routine
 * belong to the routine; strings returned belong to the caller.
 */
#ifndef KORVO_H
#define KORVO_H

#include <stdint.h>

#include "korvo_layout.h"

#ifdef __cplusplus
using korvo::KvArray;
using korvo::KvDataEntry;
using korvo::KvObj;
using korvo::KvObjType;
using korvo::KvSlot;
using korvo::KvString;
using korvo::KvTypeRecord;
using korvo::KvVecType;
extern "C" {
#endif

/* The program's main code, at offset 0 of the module. */
void __MAIN(void);

)";

constexpr char kEpilogue[] = R"(
#ifdef __cplusplus
}
#endif

#endif /* KORVO_H */
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvo-sdk-header OUT.h\n");
    return 2;
  }
  std::string body;
  korvo::RuntimeInterface& runtime = *runtimeGetRuntime();
  while (const char* text = runtime.nextSymbol()) {
    if (text[0] != '_') {
      body += commandDeclaration(text) + "\n";
      continue;
    }
    const InternalRoutine* routine = findInternal(text);
    if (!routine) {
      std::fprintf(stderr, "korvo-sdk-header: no declaration for internal symbol %s\n", text);
      return 1;
    }
    const std::string name = korvo::linkerName(text);
    body += routine->arguments ? std::string(routine->result) + " " + name + "(" + routine->arguments + ");\n"
                               : "extern " + std::string(routine->result) + " " + name + ";\n";
  }
  const std::string header = kPrologue + body + kEpilogue;
  std::string error;
  if (!korvo::tools::replaceFile(argv[1], std::span(reinterpret_cast<const std::uint8_t*>(header.data()), header.size()),
                                 0666, error)) {
    std::fprintf(stderr, "korvo-sdk-header: %s: cannot write: %s\n", argv[1], error.c_str());
    return 1;
  }
  return 0;
}
