// Fuzzes the module image reader and the linker with arbitrary resource bytes. Every input
// must either link, with the code block below 2 GB, or fail with one of the two link
// failures; an image that reads must read back the same after being written out.
#include <cstdlib>
#include <cstring>
#include <span>

#include "fuzz_seeds.h"
#include "startup/module_image.h"
#include "startup/module_linker.h"

namespace {

// A runtime map with targets both within and beyond the reach of 32-bit fields.
const korvo::SymbolMap& runtimeMap() {
  static const korvo::SymbolMap kMap = {
      {"__kvStrConst", 0x00401000}, {"__kvIntType", 0x00402000},     {"_fend", 0x7f0000001000},
      {"_fcls", 0x7f0000002000},    {"_fprint", 0x0000555500003000},
  };
  return kMap;
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

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  const std::vector<std::uint8_t> nops(16, 0x90);
  seeds.add("empty_tables.kvm", writeModuleImage({{0xC3}, {}, {}, {}}));
  seeds.add("symbols.kvm", writeModuleImage({nops, {{"__MAIN", 0}, {"_fmain", 8}, {"_vx", 15}}, {}, {}}));
  seeds.add("missing.kvm", writeModuleImage({std::vector<std::uint8_t>(8, 0), {}, {{"_fnothere", 0}}, {}}));
  std::vector<std::uint8_t> call(16, 0);
  const std::uint8_t callRel[] = {0xE8, 0xFC, 0xFF, 0xFF, 0xFF};
  std::memcpy(call.data(), callRel, sizeof callRel);
  seeds.add("patches.kvm", writeModuleImage({call,
                                             {{"__MAIN", 0}, {"_fx", 12}},
                                             {{"_fend", 1}, {"__kvStrConst", 1}},
                                             {{"_fx", 8}, {"__kvIntType", 12}}}));
  // Counts of -1, -7 and the smallest int: each table is empty.
  seeds.add("negative_counts.kvm",
            Bytes{1, 0, 0, 0, 0xC3, 0xFF, 0xFF, 0xFF, 0xFF, 0xF9, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80});
}
