// Writing a tool's output file whole or not at all.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>

namespace korvo::tools {

// Writes bytes to a fresh temporary beside path and renames it over path, so that a failure
// leaves whatever was at path untouched and nothing else behind. The file gets mode, less
// the process's umask. False (and errno's text in error) when it could not be written.
bool replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, mode_t mode, std::string& error);

}  // namespace korvo::tools
