// Builds Korvo programs at test time: C source compiled with the SDK, packed by korvo-pack,
// linked in this process against the runtime's command table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "startup/module_image.h"
#include "startup/module_linker.h"

namespace korvo::testing {

// A scratch directory removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a shell command; returns its exit status and everything it wrote (both streams).
struct CommandResult {
  int status;
  std::string output;
};
CommandResult runCommand(const std::string& command);

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::string& path);

enum class Language { kC, kCpp };

// Compiles and packs source; the image bytes, or nullopt with the tools' output in error.
std::optional<std::vector<std::uint8_t>> buildProgram(const std::string& source, std::string* error = nullptr,
                                                      Language language = Language::kC);

// A linked program and the offsets of its symbols.
class Program {
 public:
  explicit Program(const std::vector<std::uint8_t>& image);
  bool linked() const { return module_.has_value(); }
  const LinkFailure& failure() const { return failure_; }
  void (*main() const)() { return module_->main(); }
  // The address of a symbol the program defines.
  void* symbol(const std::string& name) const;
  std::int32_t int32(const std::string& name) const { return *static_cast<std::int32_t*>(symbol(name)); }

 private:
  std::optional<ModuleImage> image_;
  std::optional<LinkedModule> module_;
  LinkFailure failure_;
};

// The program flags of the build, the SDK directory and the tool paths.
std::string toolPath(const char* name);

}  // namespace korvo::testing
