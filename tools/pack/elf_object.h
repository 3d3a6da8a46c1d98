// A 64-bit x86 ELF relocatable object as korvo-pack needs it: sections, symbols and the
// relocations of each section, all checked against the file's bounds.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvo::tools {

// One section header and its contents.
struct ElfSection {
  std::string name;
  std::uint32_t type = 0;
  std::uint64_t flags = 0;
  std::uint64_t size = 0;
  std::uint64_t align = 1;
  std::vector<std::uint8_t> bytes;          // empty for sections without contents (.bss)
  std::vector<std::uint32_t> groupMembers;  // for section groups: the member indices
  std::uint32_t groupSymbol = 0;            // for section groups: the signature symbol
};

// One symbol table entry.
struct ElfSymbol {
  std::string name;
  std::uint8_t binding = 0;   // STB_*
  std::uint8_t type = 0;      // STT_*
  std::uint16_t section = 0;  // SHN_UNDEF, SHN_ABS, SHN_COMMON or a section index
  std::uint64_t value = 0;
  std::uint64_t size = 0;
};

// One RELA entry: the place (offset in its section), type, symbol index and addend.
struct ElfRelocation {
  std::uint64_t offset;
  std::uint32_t type;
  std::uint32_t symbol;
  std::int64_t addend;
};

// A whole object file.
struct ElfObject {
  std::string path;
  std::vector<ElfSection> sections;
  std::vector<ElfSymbol> symbols;
  // Relocations by the index of the section they patch.
  std::vector<std::vector<ElfRelocation>> relocations;
};

// Parses an object file; throws std::runtime_error naming the problem.
ElfObject readElfObject(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace korvo::tools
