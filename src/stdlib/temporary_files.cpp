// Temporaries beside a replaced file: names, creation, and clearing what dead writers left.
#include "stdlib/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string_view>

namespace korvo::stdlib {
namespace {

// The most of the target's own name a temporary's name repeats: with the prefix and suffix
// it stays well inside the usual 255-byte limit on one name.
constexpr std::size_t kTemporaryBaseLength = 160;
constexpr std::string_view kPartMark = ".part-";

std::string baseName(const std::string& target) {
  return target.substr(target.rfind('/') + 1).substr(0, kTemporaryBaseLength);
}

// The process id in a temporary's name ".BASE.part-PID-N" of base; 0 when name is not one.
pid_t writerOf(std::string_view name, const std::string& base) {
  if (name.size() < 1 + base.size() + kPartMark.size() || name[0] != '.' || name.substr(1, base.size()) != base)
    return 0;
  name.remove_prefix(1 + base.size());
  if (!name.starts_with(kPartMark)) return 0;
  name.remove_prefix(kPartMark.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (error != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-') return 0;
  unsigned serial = 0;
  const auto [last, serialError] = std::from_chars(end + 1, name.data() + name.size(), serial);
  return serialError == std::errc() && last == name.data() + name.size() ? pid : 0;
}

bool processGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string createTemporaryBeside(const std::string& target, const struct stat* old) {
  static unsigned counter = 0;
  const std::string prefix =
      directoryOf(target) + "/." + baseName(target) + std::string(kPartMark) + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = prefix + std::to_string(++counter);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (old) ::fchmod(fd, old->st_mode & 07777);
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

void removeLeftoverTemporaries(const std::string& target) {
  const std::string dir = directoryOf(target);
  const std::string base = baseName(target);
  DIR* listing = ::opendir(dir.c_str());
  if (!listing) return;
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t writer = writerOf(entry->d_name, base);
    if (writer != 0 && writer != ::getpid() && processGone(writer)) ::unlinkat(::dirfd(listing), entry->d_name, 0);
  }
  ::closedir(listing);
}

}  // namespace korvo::stdlib
