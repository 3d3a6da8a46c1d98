// main() of a fuzz target built without libFuzzer. It runs the target once over the empty
// input, the seeds the target makes and every file named (folders are walked), each in a
// buffer of exactly its size so that the sanitizers see a read past its end; or, given
// -write_seeds=DIR, writes the seeds into DIR. Other flags are libFuzzer's and are ignored,
// so both builds take the same command line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;
using korvo::fuzz::Bytes;

void runOne(const Bytes& bytes) {
  // A copy of exactly the input's size: the data() of an empty vector may be null.
  const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size() + !bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  LLVMFuzzerTestOneInput(copy.get(), bytes.size());
}

Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeSeeds(const korvo::fuzz::Seeds& seeds, const fs::path& dir) {
  std::error_code error;
  fs::create_directories(dir, error);
  for (const auto& seed : seeds.all()) {
    std::ofstream out(dir / seed.name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", (dir / seed.name).c_str());
      return false;
    }
  }
  std::printf("%zu seeds written to %s\n", seeds.all().size(), dir.c_str());
  return true;
}

// The files a path names, folders walked in name order; false when it does not exist.
bool collect(const fs::path& path, std::vector<fs::path>& files) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
      if (entry.is_regular_file()) found.push_back(entry.path());
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return !error;
  }
  if (!fs::is_regular_file(path, error)) return false;
  files.push_back(path);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  korvo::fuzz::Seeds seeds;
  korvo::fuzz::makeSeeds(seeds);
  constexpr std::string_view kWriteSeeds = "-write_seeds=";
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with(kWriteSeeds)) return writeSeeds(seeds, arg.substr(kWriteSeeds.size())) ? 0 : 1;
    if (arg.starts_with("-")) continue;
    if (!collect(arg, files)) {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
      return 1;
    }
  }
  runOne({});
  for (const auto& seed : seeds.all()) runOne(seed.bytes);
  for (const auto& file : files) runOne(readBytes(file));
  std::printf("%s: ran %zu inputs (%zu seeds made in code, %zu files)\n", fs::path(argv[0]).filename().c_str(),
              1 + seeds.all().size() + files.size(), seeds.all().size(), files.size());
  return 0;
}
