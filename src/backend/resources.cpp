// The resource section: found through the section headers of the ELF file, never loaded
// into memory by the system loader (the section is not allocated), read on request.
//
// Section contents: "KVRS", entry count, then per entry type, id, offset (from the section
// start) and size, all 32-bit little-endian, followed by the data.
#include "backend/resources.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <utility>

namespace korvo::platform {
namespace {

constexpr char kSectionName[] = ".korvo.res";
constexpr char kMagic[4] = {'K', 'V', 'R', 'S'};

using Bytes = std::vector<std::uint8_t>;
using Directory = std::map<std::pair<std::uint32_t, std::uint32_t>, Bytes>;

std::uint32_t get32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void put32(Bytes& out, std::uint32_t v) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
  out.insert(out.end(), p, p + 4);
}

// Reads byte ranges of an ELF file, refusing anything outside it.
class ElfSource {
 public:
  virtual ~ElfSource() = default;
  virtual std::uint64_t size() const = 0;
  virtual bool read(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

class FileSource : public ElfSource {
 public:
  explicit FileSource(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0) {
      const off_t end = lseek(fd_, 0, SEEK_END);
      size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
    }
  }
  ~FileSource() override {
    if (fd_ >= 0) close(fd_);
  }
  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, void* out, std::size_t count) const override {
    if (fd_ < 0 || offset > size_ || count > size_ - offset) return false;
    auto* dest = static_cast<std::uint8_t*>(out);
    while (count > 0) {
      const ssize_t got = pread(fd_, dest, count, static_cast<off_t>(offset));
      if (got <= 0) return false;
      dest += got;
      offset += static_cast<std::uint64_t>(got);
      count -= static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

class MemorySource : public ElfSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, void* out, std::size_t count) const override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// The section headers of a 64-bit little-endian ELF file and the index of the resource
// section (-1 when there is none).
struct ElfLayout {
  Elf64_Ehdr header{};
  std::vector<Elf64_Shdr> sections;
  Bytes names;
  int resourceIndex = -1;
};

bool readLayout(const ElfSource& src, ElfLayout& layout) {
  Elf64_Ehdr& h = layout.header;
  if (!src.read(0, &h, sizeof h)) return false;
  if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0 || h.e_ident[EI_CLASS] != ELFCLASS64 ||
      h.e_ident[EI_DATA] != ELFDATA2LSB || h.e_shentsize != sizeof(Elf64_Shdr) || h.e_shnum == 0 ||
      h.e_shstrndx >= h.e_shnum) {
    return false;
  }
  layout.sections.resize(h.e_shnum);
  if (!src.read(h.e_shoff, layout.sections.data(), h.e_shnum * sizeof(Elf64_Shdr))) return false;
  const Elf64_Shdr& strtab = layout.sections[h.e_shstrndx];
  if (strtab.sh_size > src.size()) return false;
  layout.names.resize(strtab.sh_size);
  if (!src.read(strtab.sh_offset, layout.names.data(), layout.names.size())) return false;
  layout.names.push_back(0);
  for (std::size_t i = 0; i < layout.sections.size(); ++i) {
    const std::uint32_t name = layout.sections[i].sh_name;
    if (name >= layout.names.size()) continue;
    if (std::strcmp(reinterpret_cast<const char*>(layout.names.data()) + name, kSectionName) == 0) {
      layout.resourceIndex = static_cast<int>(i);
    }
  }
  return true;
}

// Parses a resource section; false when it is damaged.
bool parseDirectory(const Bytes& section, Directory& out) {
  if (section.size() < 8 || std::memcmp(section.data(), kMagic, 4) != 0) return false;
  const std::uint64_t count = get32(section.data() + 4);
  if (count > (section.size() - 8) / 16) return false;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint8_t* e = section.data() + 8 + i * 16;
    const std::uint64_t offset = get32(e + 8), size = get32(e + 12);
    if (offset > section.size() || size > section.size() - offset) return false;
    out[{get32(e), get32(e + 4)}] = Bytes(section.begin() + offset, section.begin() + offset + size);
  }
  return true;
}

Bytes buildDirectory(const Directory& dir) {
  Bytes out(kMagic, kMagic + 4);
  put32(out, static_cast<std::uint32_t>(dir.size()));
  std::uint32_t offset = 8 + 16 * static_cast<std::uint32_t>(dir.size());
  for (const auto& [key, data] : dir) {
    put32(out, key.first);
    put32(out, key.second);
    put32(out, offset);
    put32(out, static_cast<std::uint32_t>(data.size()));
    offset += static_cast<std::uint32_t>(data.size());
  }
  for (const auto& [key, data] : dir) out.insert(out.end(), data.begin(), data.end());
  return out;
}

bool readResourceSection(const ElfSource& src, const ElfLayout& layout, Bytes& out) {
  if (layout.resourceIndex < 0) return false;
  const Elf64_Shdr& s = layout.sections[layout.resourceIndex];
  if (s.sh_size > src.size()) return false;
  out.resize(s.sh_size);
  return src.read(s.sh_offset, out.data(), out.size());
}

std::optional<Bytes> findResource(const ElfSource& src, std::uint32_t type, std::uint32_t id) {
  ElfLayout layout;
  Bytes section;
  Directory dir;
  if (!readLayout(src, layout) || !readResourceSection(src, layout, section) || !parseDirectory(section, dir)) {
    return std::nullopt;
  }
  auto it = dir.find({type, id});
  if (it == dir.end()) return std::nullopt;
  return std::move(it->second);
}

void padTo8(Bytes& out) { out.resize((out.size() + 7) / 8 * 8, 0); }

}  // namespace

std::optional<Bytes> readElfResource(const std::string& path, std::uint32_t type, std::uint32_t id) {
  return findResource(FileSource(path), type, id);
}

std::optional<Bytes> loadResource(std::uint32_t type, std::uint32_t id) {
  return readElfResource("/proc/self/exe", type, id);
}

AttachResult attachResource(std::span<const std::uint8_t> elf, std::uint32_t type, std::uint32_t id,
                            std::span<const std::uint8_t> data) {
  MemorySource src(elf);
  ElfLayout layout;
  if (!readLayout(src, layout)) return {{}, "not a 64-bit little-endian ELF file"};
  Directory dir;
  Bytes section;
  if (readResourceSection(src, layout, section) && !parseDirectory(section, dir)) {
    return {{}, "its resource section is damaged"};
  }
  dir[{type, id}] = Bytes(data.begin(), data.end());

  // The old section contents and header table stay where they are, unreferenced; the new
  // contents, names and headers go to the end of the file.
  Bytes out(elf.begin(), elf.end());
  padTo8(out);
  const Bytes contents = buildDirectory(dir);
  const std::uint64_t contentsOffset = out.size();
  out.insert(out.end(), contents.begin(), contents.end());

  std::vector<Elf64_Shdr> sections = layout.sections;
  if (layout.resourceIndex < 0) {
    if (sections.size() + 1 >= SHN_LORESERVE) return {{}, "too many sections"};
    Bytes names(layout.names.begin(), layout.names.end() - 1);
    Elf64_Shdr added{};
    added.sh_name = static_cast<Elf64_Word>(names.size());
    added.sh_type = SHT_PROGBITS;
    added.sh_addralign = 1;
    names.insert(names.end(), kSectionName, kSectionName + sizeof kSectionName);
    padTo8(out);
    Elf64_Shdr& strtab = sections[layout.header.e_shstrndx];
    strtab.sh_offset = out.size();
    strtab.sh_size = names.size();
    out.insert(out.end(), names.begin(), names.end());
    sections.push_back(added);
    layout.resourceIndex = static_cast<int>(sections.size() - 1);
  }
  sections[layout.resourceIndex].sh_offset = contentsOffset;
  sections[layout.resourceIndex].sh_size = contents.size();

  padTo8(out);
  Elf64_Ehdr header = layout.header;
  header.e_shoff = out.size();
  header.e_shnum = static_cast<Elf64_Half>(sections.size());
  const auto* table = reinterpret_cast<const std::uint8_t*>(sections.data());
  out.insert(out.end(), table, table + sections.size() * sizeof(Elf64_Shdr));
  std::memcpy(out.data(), &header, sizeof header);
  return {std::move(out), {}};
}

}  // namespace korvo::platform
