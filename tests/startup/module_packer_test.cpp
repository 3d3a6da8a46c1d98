// Packing objects whose sizes and alignments no real program has: they must be refused, not
// laid out past the end of the image.
#include <elf.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "pack/module_packer.h"

namespace korvo::tools {
namespace {

ElfSection section(const char* name, std::uint32_t type, std::uint64_t flags, std::uint64_t size, std::uint64_t align) {
  ElfSection s;
  s.name = name;
  s.type = type;
  s.flags = flags;
  s.size = size;
  s.align = align;
  if (type == SHT_PROGBITS) s.bytes.assign(size, 0x90);
  return s;
}

// __MAIN in .text, then data and zero-filled data of the given shapes.
ElfObject object(std::uint64_t dataAlign, std::uint64_t bssSize) {
  ElfObject o;
  o.path = "huge.o";
  o.sections = {section("", SHT_NULL, 0, 0, 1), section(".text", SHT_PROGBITS, SHF_ALLOC | SHF_EXECINSTR, 16, 16),
                section(".data", SHT_PROGBITS, SHF_ALLOC | SHF_WRITE, 8, dataAlign),
                section(".bss", SHT_NOBITS, SHF_ALLOC | SHF_WRITE, bssSize, 8)};
  o.symbols = {ElfSymbol{}, ElfSymbol{"__MAIN", STB_GLOBAL, STT_FUNC, 1, 0, 16}};
  o.relocations.resize(o.sections.size());
  return o;
}

bool noRuntimeNames(const std::string&) { return false; }

TEST(ModulePacker, SizesThatWrapTheLayoutAreRefused) {
  // The data lands at 2^63; the zero-filled block would wrap the total back to a few bytes.
  const std::uint64_t half = std::uint64_t{1} << 63;
  EXPECT_THROW(packObjects({object(half, half)}, &noRuntimeNames), std::runtime_error);
  EXPECT_THROW(packObjects({object(8, ~std::uint64_t{0} - 8)}, &noRuntimeNames), std::runtime_error);

  ElfObject common = object(8, 8);
  common.symbols.push_back(ElfSymbol{"_vbig", STB_GLOBAL, STT_OBJECT, SHN_COMMON, 8, ~std::uint64_t{0} - 16});
  EXPECT_THROW(packObjects({common}, &noRuntimeNames), std::runtime_error);

  const ModuleImage sane = packObjects({object(8, 8)}, &noRuntimeNames);
  EXPECT_EQ(sane.code.size(), 32u);
}

}  // namespace
}  // namespace korvo::tools
