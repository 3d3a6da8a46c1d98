// Resources carried by an executable: a section of its own in the ELF file holding a small
// directory (type, id) -> bytes. The program module travels this way as resource 1111.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvo::platform {

// The resource type of raw program data.
inline constexpr std::uint32_t kRawDataResource = 10;

// The bytes of resource (type, id) in the running executable; nullopt when it carries none.
std::optional<std::vector<std::uint8_t>> loadResource(std::uint32_t type, std::uint32_t id);

// The same from the ELF file at path.
std::optional<std::vector<std::uint8_t>> readElfResource(const std::string& path, std::uint32_t type, std::uint32_t id);

// A copy of the ELF image elf carrying resource (type, id) = data, replacing an earlier
// resource with that type and id and keeping the others. On failure bytes is empty and
// error says why.
struct AttachResult {
  std::vector<std::uint8_t> bytes;
  std::string error;
};
AttachResult attachResource(std::span<const std::uint8_t> elf, std::uint32_t type, std::uint32_t id,
                            std::span<const std::uint8_t> data);

}  // namespace korvo::platform
