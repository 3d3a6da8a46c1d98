// Fetching with apt-get download and extracting single members with dpkg and tar. Test
// processes run in parallel, so each fetch holds a lock on the cache.
#include "debian_files.h"

#include <cstdlib>
#include <filesystem>

namespace korvo::test {
namespace {

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

std::string debianFile(const std::string& package, const std::string& member) {
  namespace fs = std::filesystem;
  const fs::path cache = KORVO_TESTDATA_DIR;
  const fs::path root = cache / "root" / package;
  const bool packed = member.size() > 3 && member.ends_with(".gz");
  const fs::path wanted = root / member.substr(1, member.size() - 1 - (packed ? 3 : 0));
  if (fs::exists(wanted)) return wanted.string();
  fs::create_directories(cache / "debs");
  fs::create_directories(root);
  // Checked again under the lock: another test process may have fetched it meanwhile.
  const std::string script = "test -e " + quoted(wanted.string()) + " || (cd " + quoted((cache / "debs").string()) +
                             " && (ls " + quoted(package) + "_*.deb || apt-get download " + quoted(package) +
                             ") && dpkg --fsys-tarfile " + quoted(package) + "_*.deb | tar -x -C " +
                             quoted(root.string()) + " " + quoted("." + member) +
                             (packed ? " && gzip -df " + quoted((root / member.substr(1)).string()) : "") + ")";
  const std::string command =
      "flock " + quoted((cache / ".lock").string()) + " sh -c " + quoted(script) + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0 || !fs::exists(wanted)) return "";
  return wanted.string();
}

}  // namespace korvo::test
