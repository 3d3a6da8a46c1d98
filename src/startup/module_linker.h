// The linker: loads a module image into a code block below 2 GB and patches it against the
// module's own symbols and the runtime's command table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "base/low_memory.h"

namespace korvo {

class RuntimeInterface;

// Linker-facing name -> address.
using SymbolMap = std::unordered_map<std::string, std::uintptr_t>;

// The runtime map: the whole command table enumerated through nextSymbol and symbolAddress.
SymbolMap buildRuntimeMap(RuntimeInterface& runtime);

// A linked program: its code block and the main code at offset 0.
class LinkedModule {
 public:
  explicit LinkedModule(platform::LowBlock block) : block_(std::move(block)), base_(block_.data()) {}
  // The main code: the first byte of the code.
  void (*main() const)() { return reinterpret_cast<void (*)()>(base_); }
  // Where the code was loaded (symbol offsets count from here).
  std::uint8_t* codeBase() const { return base_; }
  // Keeps the code for the rest of the process.
  void keep() { block_.release(); }

 private:
  platform::LowBlock block_;
  std::uint8_t* base_;
};

// Why linking failed, with the text to show and the process exit code.
struct LinkFailure {
  std::string message;
  int exitCode;
};

// A linked module, or why there is none.
struct LinkResult {
  std::optional<LinkedModule> module;
  LinkFailure failure;  // meaningful only without a module
};

// Links the image bytes of a resource. Never trusts them: a malformed image is a failure.
LinkResult linkModule(std::span<const std::uint8_t> resource, const SymbolMap& runtime);

// The failure texts.
inline constexpr char kUnableToRun[] = "Unable to run Korvo Basic module";
inline constexpr char kCantFindSymbol[] = "Can't find symbol: ";

}  // namespace korvo
