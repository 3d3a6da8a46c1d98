// Fuzzes the module image reader and the linker with arbitrary resource bytes. Every input
// must either link, with the code block below 2 GB, or fail with one of the two link
// failures; an image that reads must read back the same after being written out.
#include <cstdlib>
#include <cstring>
#include <span>

#include "startup/module_image.h"
#include "startup/module_linker.h"

namespace {

// A runtime map with targets both within and beyond the reach of 32-bit fields.
const korvo::SymbolMap& runtimeMap() {
  static const korvo::SymbolMap map = {
      {"__kvStrConst", 0x00401000},     {"__kvIntType", 0x00402000}, {"_fend", 0x7f0000001000},
      {"_fcls", 0x7f0000002000},        {"_fprint", 0x0000555500003000},
  };
  return map;
}

bool sameEntries(const std::vector<korvo::ImageEntry>& a, const std::vector<korvo::ImageEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].offset != b[i].offset) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto image = korvo::readModuleImage(bytes)) {
    const auto again = korvo::readModuleImage(korvo::writeModuleImage(*image));
    if (!again || again->code != image->code || !sameEntries(again->symbols, image->symbols) ||
        !sameEntries(again->relatives, image->relatives) || !sameEntries(again->absolutes, image->absolutes)) {
      std::abort();
    }
  }
  const korvo::LinkResult result = korvo::linkModule(bytes, runtimeMap());
  if (result.module) {
    if (!korvo::platform::isLow(result.module->codeBase())) std::abort();
  } else if (result.failure.message != korvo::kUnableToRun &&
             result.failure.message.rfind(korvo::kCantFindSymbol, 0) != 0) {
    std::abort();
  }
  return 0;
}
