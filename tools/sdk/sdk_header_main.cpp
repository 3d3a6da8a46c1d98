// korvo-sdk-header OUT.h OUT.hpp: writes korvo.h, the declarations of every command and
// internal symbol of the runtime's command table under its linker-facing name, for programs
// written in C or freestanding C++, and korvo.hpp, the commands' C++ face.
#include <cstdio>
#include <cstring>
#include <vector>
#include <span>
#include <string>

#include "startup/command_table.h"
#include "startup/runtime_interface.h"
#include "output_file.h"
#include "sdk/cxx_face.h"
#include "sdk/internal_routines.h"
#include "sdk/signature.h"

namespace {

using korvo::tools::InternalRoutine;

// "%Rand%from%to=1" -> "int32_t _frand(int32_t from, int32_t to /* = 1 */);  /* %Rand%from%to=1 */"
std::string commandDeclaration(const char* text) {
  const korvo::tools::Signature s = korvo::tools::parseSignature(text);
  std::string arguments;
  for (const korvo::tools::Parameter& p : s.parameters) {
    if (!arguments.empty()) arguments += ", ";
    arguments += std::string(korvo::tools::cType(p.sigil)) + " " + korvo::tools::safeName(p.name);
    if (!p.defaultValue.empty()) arguments += " /* = " + p.defaultValue + " */";
  }
  return std::string(s.result ? korvo::tools::cType(s.result) : "void") + " " + korvo::linkerName(text) + "(" +
         (arguments.empty() ? "void" : arguments) + ");  /* " + text + " */";
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

bool write(const char* path, const std::string& text) {
  std::string error;
  if (!korvo::tools::replaceFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), 0666,
                                 error)) {
    std::fprintf(stderr, "korvo-sdk-header: %s: cannot write: %s\n", path, error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: korvo-sdk-header OUT.h OUT.hpp\n");
    return 2;
  }
  std::string body;
  std::vector<std::string> commands;
  korvo::RuntimeInterface& runtime = *runtimeGetRuntime();
  while (const char* text = runtime.nextSymbol()) {
    if (text[0] != '_') {
      body += commandDeclaration(text) + "\n";
      commands.push_back(text);
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
  return write(argv[1], header) && write(argv[2], korvo::tools::cxxFace(commands)) ? 0 : 1;
}
