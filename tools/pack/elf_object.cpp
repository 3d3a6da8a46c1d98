// Reading ELF relocatable objects (x86-64, little-endian, RELA relocations only).
#include "pack/elf_object.h"

#include <elf.h>

#include <cstring>
#include <stdexcept>

namespace korvo::tools {
namespace {

class Bytes {
 public:
  Bytes(const std::string& path, std::span<const std::uint8_t> bytes) : path_(path), bytes_(bytes) {}

  template <typename T>
  T at(std::uint64_t offset) const {
    check(offset, sizeof(T));
    T value;
    std::memcpy(&value, bytes_.data() + offset, sizeof(T));
    return value;
  }

  std::vector<std::uint8_t> range(std::uint64_t offset, std::uint64_t size) const {
    check(offset, size);
    return {bytes_.begin() + offset, bytes_.begin() + offset + size};
  }

  [[noreturn]] void fail(const std::string& what) const { throw std::runtime_error(path_ + ": " + what); }

 private:
  void check(std::uint64_t offset, std::uint64_t size) const {
    if (offset > bytes_.size() || size > bytes_.size() - offset) fail("truncated or damaged object file");
  }
  const std::string& path_;
  std::span<const std::uint8_t> bytes_;
};

std::string stringAt(const Bytes& file, const std::vector<std::uint8_t>& table, std::uint64_t offset) {
  if (offset >= table.size()) file.fail("bad string table offset");
  const auto* start = reinterpret_cast<const char*>(table.data()) + offset;
  const void* end = std::memchr(start, 0, table.size() - offset);
  if (!end) file.fail("unterminated string");
  return std::string(start, static_cast<const char*>(end));
}

}  // namespace

ElfObject readElfObject(const std::string& path, std::span<const std::uint8_t> bytes) {
  const Bytes file(path, bytes);
  const auto header = file.at<Elf64_Ehdr>(0);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB) {
    file.fail("not a 64-bit little-endian ELF file");
  }
  if (header.e_type != ET_REL) file.fail("not a relocatable object");
  if (header.e_machine != EM_X86_64) file.fail("not an x86-64 object");
  if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum) file.fail("bad section table");

  std::vector<Elf64_Shdr> raw(header.e_shnum);
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = file.at<Elf64_Shdr>(header.e_shoff + i * sizeof(Elf64_Shdr));
  const Elf64_Shdr& names = raw[header.e_shstrndx];
  const std::vector<std::uint8_t> sectionNames = file.range(names.sh_offset, names.sh_size);

  ElfObject object;
  object.path = path;
  object.sections.resize(raw.size());
  object.relocations.resize(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const Elf64_Shdr& s = raw[i];
    ElfSection& out = object.sections[i];
    out.name = i == 0 ? "" : stringAt(file, sectionNames, s.sh_name);
    out.type = s.sh_type;
    out.flags = s.sh_flags;
    out.size = s.sh_size;
    out.align = s.sh_addralign ? s.sh_addralign : 1;
    if (s.sh_type != SHT_NOBITS && s.sh_type != SHT_NULL) out.bytes = file.range(s.sh_offset, s.sh_size);
    if (s.sh_type == SHT_GROUP) {
      out.groupSymbol = s.sh_info;
      for (std::size_t at = 4; at + 4 <= out.bytes.size(); at += 4) {
        std::uint32_t member;
        std::memcpy(&member, out.bytes.data() + at, 4);
        out.groupMembers.push_back(member);
      }
    }
  }

  for (std::size_t i = 0; i < raw.size(); ++i) {
    const Elf64_Shdr& s = raw[i];
    if (s.sh_type == SHT_SYMTAB) {
      if (s.sh_link >= raw.size() || s.sh_entsize != sizeof(Elf64_Sym)) file.fail("bad symbol table");
      const std::vector<std::uint8_t> strings = file.range(raw[s.sh_link].sh_offset, raw[s.sh_link].sh_size);
      for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= s.sh_size; at += sizeof(Elf64_Sym)) {
        const auto sym = file.at<Elf64_Sym>(s.sh_offset + at);
        object.symbols.push_back(
            {stringAt(file, strings, sym.st_name), static_cast<std::uint8_t>(ELF64_ST_BIND(sym.st_info)),
             static_cast<std::uint8_t>(ELF64_ST_TYPE(sym.st_info)), sym.st_shndx, sym.st_value, sym.st_size});
      }
    } else if (s.sh_type == SHT_REL) {
      file.fail("REL relocations are not supported");
    }
  }

  for (std::size_t i = 0; i < raw.size(); ++i) {
    const Elf64_Shdr& s = raw[i];
    if (s.sh_type != SHT_RELA) continue;
    if (s.sh_info >= raw.size() || s.sh_entsize != sizeof(Elf64_Rela)) file.fail("bad relocation section");
    auto& list = object.relocations[s.sh_info];
    for (std::uint64_t at = 0; at + sizeof(Elf64_Rela) <= s.sh_size; at += sizeof(Elf64_Rela)) {
      const auto r = file.at<Elf64_Rela>(s.sh_offset + at);
      const auto symbol = static_cast<std::uint32_t>(ELF64_R_SYM(r.r_info));
      if (symbol >= object.symbols.size()) file.fail("relocation names a symbol that does not exist");
      list.push_back({r.r_offset, static_cast<std::uint32_t>(ELF64_R_TYPE(r.r_info)), symbol, r.r_addend});
    }
  }
  for (ElfSection& s : object.sections) {
    if (s.type == SHT_GROUP && s.groupSymbol >= object.symbols.size()) file.fail("bad section group");
  }
  return object;
}

}  // namespace korvo::tools
