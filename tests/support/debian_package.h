// Real third-party files for tests, taken from Debian packages at test time: the package is
// fetched once with apt-get download into a cache under the build directory
// (KORVO_TEST_CACHE), and only the member asked for is unpacked from it. A lock file keeps
// tests running in parallel from fetching the same package twice.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace korvo::test {

// The cached copy of path (an absolute file or directory path inside package), or none when
// the package cannot be had; callers skip with a message naming the package.
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
  const fs::path member = fs::path(path).relative_path();
  const fs::path file = root / member;
  const fs::path done = root / (member.string() + ".unpacked");
  if (fs::exists(done)) return file.string();

  const std::string lockName = (cache / (package + ".lock")).string();
  const int lock = ::open(lockName.c_str(), O_CREAT | O_RDWR, 0644);
  if (lock < 0) return std::nullopt;
  ::flock(lock, LOCK_EX);
  const fs::path deb = cache / (package + ".deb");
  if (!fs::exists(deb)) {
    const fs::path work = cache / (package + ".download");
    fs::remove_all(work, ec);
    fs::create_directories(work, ec);
    const std::string fetch = "cd '" + work.string() + "' && apt-get download -q '" + package +
                              "' >/dev/null 2>&1 && mv " + package + "_*.deb '" + deb.string() + "'";
    std::system(fetch.c_str());
    fs::remove_all(work, ec);
  }
  if (fs::exists(deb) && !fs::exists(done)) {
    fs::create_directories(root, ec);
    const std::string unpack = "dpkg --fsys-tarfile '" + deb.string() + "' | tar -x -C '" + root.string() + "' './" +
                               member.string() + "' >/dev/null 2>&1";
    if (std::system(unpack.c_str()) == 0 && fs::exists(file)) {
      fs::create_directories(done.parent_path(), ec);
      std::ofstream(done.string()).put('\n');
    }
  }
  ::flock(lock, LOCK_UN);
  ::close(lock);
  if (fs::exists(done)) return file.string();
  return std::nullopt;
}

}  // namespace korvo::test
