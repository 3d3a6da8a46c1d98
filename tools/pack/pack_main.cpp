// korvo-pack -o OUT.kvm IN.o...: x86-64 relocatable objects to a module image.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "startup/module_linker.h"
#include "startup/runtime_interface.h"
#include "output_file.h"
#include "pack/module_packer.h"

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int usage() {
  std::fprintf(stderr, "usage: korvo-pack -o OUT.kvm IN.o...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvo;
  std::string output;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return usage();
    } else {
      inputs.push_back(arg);
    }
  }
  if (output.empty() || inputs.empty()) return usage();
  try {
    std::vector<tools::ElfObject> objects;
    objects.reserve(inputs.size());
    for (const std::string& path : inputs) objects.push_back(tools::readElfObject(path, readFile(path)));
    const SymbolMap runtime = buildRuntimeMap(*runtimeGetRuntime());
    const ModuleImage image =
        tools::packObjects(objects, [&](const std::string& name) { return runtime.count(name) != 0; });
    const std::vector<std::uint8_t> bytes = writeModuleImage(image);
    std::string error;
    if (!tools::replaceFile(output, bytes, 0666, error)) throw std::runtime_error(output + ": cannot write: " + error);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvo-pack: %s\n", e.what());
    return 1;
  }
  return 0;
}
