// Test-time program building through the real compiler and korvo-pack.
#include "startup/program_builder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "startup/runtime_interface.h"

namespace korvo::testing {

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/korvo-test-XXXXXX";
  path_ = mkdtemp(pattern);
}

ScratchDir::~ScratchDir() { std::filesystem::remove_all(path_); }

CommandResult runCommand(const std::string& command) {
  CommandResult result{-1, {}};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) result.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string toolPath(const char* name) { return std::string(KORVO_TOOL_DIR) + "/" + name; }

std::optional<std::vector<std::uint8_t>> buildProgram(const std::string& source, std::string* error,
                                                      Language language) {
  ScratchDir dir;
  const bool cpp = language == Language::kCpp;
  const std::string sourceFile = dir.file(cpp ? "program.cpp" : "program.c");
  {
    std::ofstream out(sourceFile);
    out << source;
  }
  const std::string flags = std::string(KORVO_PROGRAM_FLAGS) + " -I" + KORVO_SDK_DIR;
  const std::string compile = std::string(KORVO_TEST_CC) + " " + flags + " -std=c11";
  const std::string compileProgram =
      cpp ? std::string(KORVO_TEST_CXX) + " " + flags + " " + KORVO_PROGRAM_CXX_FLAGS : compile;
  const std::string command = compileProgram + " -c " + sourceFile + " -o " + dir.file("program.o") + " && " + compile +
                              " -c " + KORVO_SUPPORT_SOURCE + " -o " + dir.file("support.o") + " && " +
                              toolPath("korvo-pack") + " -o " + dir.file("program.kvm") + " " + dir.file("program.o") +
                              " " + dir.file("support.o");
  const CommandResult built = runCommand(command);
  if (built.status != 0) {
    if (error) *error = built.output;
    return std::nullopt;
  }
  return readFile(dir.file("program.kvm"));
}

Program::Program(const std::vector<std::uint8_t>& image) : image_(readModuleImage(image)) {
  LinkResult result = linkModule(image, buildRuntimeMap(*runtimeGetRuntime()));
  module_ = std::move(result.module);
  failure_ = result.failure;
}

void* Program::symbol(const std::string& name) const {
  for (const ImageEntry& s : image_->symbols) {
    if (s.name == name) return module_->codeBase() + s.offset;
  }
  return nullptr;
}

}  // namespace korvo::testing

// Programs here run with the whole runtime, fonts included; under LeakSanitizer, what the
// font library keeps until the process ends is not a leak of the runtime's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
