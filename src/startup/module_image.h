// ModuleImage: the compiled program as it travels in resource 1111. Code, the symbols it
// defines, and the places to patch with addresses (relative and absolute 32-bit fields).
//
// Byte format, 32-bit little-endian signed integers, no padding: code size N, N code bytes,
// symbol count, (name, offset) entries, relative count, (name, offset) entries, absolute
// count, (name, offset) entries. Names are zero-terminated; a count <= 0 means none.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvo {

// One (name, offset) entry of any of the three tables.
struct ImageEntry {
  std::string name;
  std::int32_t offset;
};

// A program module: its code and the three tables, in image order.
struct ModuleImage {
  std::vector<std::uint8_t> code;
  std::vector<ImageEntry> symbols;
  std::vector<ImageEntry> relatives;
  std::vector<ImageEntry> absolutes;
};

// Reads an image; nullopt when it is malformed: it ends early, a name has no terminator,
// the code is empty, or a patch field does not lie wholly inside the code. Symbol offsets
// are left to the linker, which has its own failure for them.
std::optional<ModuleImage> readModuleImage(std::span<const std::uint8_t> bytes);

// The byte form of an image.
std::vector<std::uint8_t> writeModuleImage(const ModuleImage& image);

}  // namespace korvo
