// korvo-attach RUNTIME MODULE.kvm OUTPUT: writes a copy of the runtime executable that
// carries the module image as resource 1111.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "output_file.h"
#include "backend/resources.h"

namespace {

// The file's bytes; false, with the reason said, when it cannot be read.
bool readFile(const std::string& path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "korvo-attach: %s: cannot read: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvo::platform;
  if (argc != 4) {
    std::fprintf(stderr, "usage: korvo-attach RUNTIME MODULE.kvm OUTPUT\n");
    return 2;
  }
  std::vector<std::uint8_t> runtime, module;
  for (const auto& [path, bytes] : {std::pair{argv[1], &runtime}, std::pair{argv[2], &module}}) {
    if (!readFile(path, *bytes)) return 1;
  }
  const AttachResult result = attachResource(runtime, kRawDataResource, 1111, module);
  if (result.bytes.empty()) {
    std::fprintf(stderr, "korvo-attach: %s: %s\n", argv[1], result.error.c_str());
    return 1;
  }
  std::string error;
  if (!korvo::tools::replaceFile(argv[3], result.bytes, 0777, error)) {
    std::fprintf(stderr, "korvo-attach: %s: cannot write: %s\n", argv[3], error.c_str());
    return 1;
  }
  return 0;
}
