// Real third-party files for tests, taken from Debian packages at test time: the package is
// fetched with apt-get download and unpacked with dpkg -x into a cache under the build
// directory (KORVO_TEST_CACHE), once per package even when tests run in parallel.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace korvo::test {

// The cached copy of path (an absolute path inside package), or none when the package cannot
// be had; callers skip with a message naming the package.
inline std::optional<std::string> debianFile(const std::string& package, const std::string& path) {
  namespace fs = std::filesystem;
#ifdef KORVO_TEST_CACHE
  const fs::path cache = fs::path(KORVO_TEST_CACHE) / "debian";
#else
  const fs::path cache = fs::temp_directory_path() / "korvo-test-cache" / "debian";
#endif
  std::error_code ec;
  fs::create_directories(cache, ec);
  const fs::path root = cache / package;
  const fs::path file = root / fs::path(path).relative_path();
  if (fs::exists(file)) return file.string();

  // One fetch per package at a time: other test processes wait on the lock, then find it.
  const std::string lockName = (cache / (package + ".lock")).string();
  const int lock = ::open(lockName.c_str(), O_CREAT | O_RDWR, 0644);
  if (lock < 0) return std::nullopt;
  ::flock(lock, LOCK_EX);
  if (!fs::exists(root)) {
    const fs::path work = cache / (package + ".partial");
    fs::remove_all(work, ec);
    fs::create_directories(work / "tree", ec);
    const std::string command = "cd '" + work.string() + "' && apt-get download -q '" +
                                package + "' >/dev/null 2>&1 && dpkg -x " + package +
                                "_*.deb tree >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) fs::rename(work / "tree", root, ec);
    fs::remove_all(work, ec);
  }
  ::flock(lock, LOCK_UN);
  ::close(lock);
  if (fs::exists(file)) return file.string();
  return std::nullopt;
}

}  // namespace korvo::test
