// replaceFile: a unique temporary in the output's directory, written, closed and renamed.
#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace korvo::tools {
namespace {

mode_t currentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool replaceFile(const std::string& path, std::span<const std::uint8_t> bytes, mode_t mode, std::string& error) {
  std::vector<char> temporary(path.begin(), path.end());
  for (const char c : std::string(".XXXXXX")) temporary.push_back(c);
  temporary.push_back('\0');
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  bool ok = writeAll(fd, bytes) && fchmod(fd, mode & ~currentUmask()) == 0;
  if (!ok) error = std::strerror(errno);
  if (close(fd) != 0 && ok) {
    ok = false;
    error = std::strerror(errno);
  }
  if (ok && std::rename(temporary.data(), path.c_str()) != 0) {
    ok = false;
    error = std::strerror(errno);
  }
  if (!ok) unlink(temporary.data());
  return ok;
}

}  // namespace korvo::tools
