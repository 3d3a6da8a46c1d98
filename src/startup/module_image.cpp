// Reading and writing the module image byte format. The reader trusts nothing: every read
// is checked against the end of the resource.
#include "startup/module_image.h"

#include <cstring>

namespace korvo {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool int32(std::int32_t& out) {
    if (bytes_.size() - at_ < 4) return false;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[at_ + i];
    out = static_cast<std::int32_t>(v);
    at_ += 4;
    return true;
  }

  bool name(std::string& out) {
    if (at_ >= bytes_.size()) return false;
    const auto* start = bytes_.data() + at_;
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(start, 0, bytes_.size() - at_));
    if (!end) return false;
    out.assign(reinterpret_cast<const char*>(start), end - start);
    at_ += (end - start) + 1;
    return true;
  }

  bool block(std::size_t size, std::vector<std::uint8_t>& out) {
    if (bytes_.size() - at_ < size) return false;
    out.assign(bytes_.begin() + at_, bytes_.begin() + at_ + size);
    at_ += size;
    return true;
  }

  // Each entry takes at least five bytes, which bounds a believable count.
  std::size_t maxEntries() const { return (bytes_.size() - at_) / 5; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

bool readTable(Reader& r, std::vector<ImageEntry>& out) {
  std::int32_t count;
  if (!r.int32(count)) return false;
  if (count <= 0) return true;
  if (static_cast<std::size_t>(count) > r.maxEntries()) return false;
  out.resize(count);
  for (ImageEntry& e : out) {
    if (!r.name(e.name) || !r.int32(e.offset)) return false;
  }
  return true;
}

bool fieldInside(const ImageEntry& e, std::size_t codeSize) {
  return e.offset >= 0 && static_cast<std::size_t>(e.offset) + 4 <= codeSize;
}

void put32(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putTable(std::vector<std::uint8_t>& out, const std::vector<ImageEntry>& table) {
  put32(out, static_cast<std::int32_t>(table.size()));
  for (const ImageEntry& e : table) {
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.push_back(0);
    put32(out, e.offset);
  }
}

}  // namespace

std::optional<ModuleImage> readModuleImage(std::span<const std::uint8_t> bytes) {
  Reader r(bytes);
  ModuleImage image;
  std::int32_t codeSize;
  if (!r.int32(codeSize) || codeSize <= 0 || !r.block(static_cast<std::size_t>(codeSize), image.code)) {
    return std::nullopt;
  }
  if (!readTable(r, image.symbols) || !readTable(r, image.relatives) || !readTable(r, image.absolutes)) {
    return std::nullopt;
  }
  for (const auto* table : {&image.relatives, &image.absolutes}) {
    for (const ImageEntry& e : *table) {
      if (!fieldInside(e, image.code.size())) return std::nullopt;
    }
  }
  return image;
}

std::vector<std::uint8_t> writeModuleImage(const ModuleImage& image) {
  std::vector<std::uint8_t> out;
  put32(out, static_cast<std::int32_t>(image.code.size()));
  out.insert(out.end(), image.code.begin(), image.code.end());
  putTable(out, image.symbols);
  putTable(out, image.relatives);
  putTable(out, image.absolutes);
  return out;
}

}  // namespace korvo
