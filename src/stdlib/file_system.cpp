// Directory listings. The whole listing is read at ReadDir and sorted by name ignoring
// case ("." and ".." come first), so programs see one order on every file system.
#include "stdlib/file_system.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <memory>

namespace korvo::stdlib {
namespace {

// "." and ".." lead every listing, as programs that skip the first two entries expect;
// names such as "-a" or "#b" would otherwise sort ahead of them.
int dotRank(const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; }

bool listedBefore(const std::string& a, const std::string& b) {
  if (dotRank(a) != dotRank(b)) return dotRank(a) < dotRank(b);
  const int order = ::strcasecmp(a.c_str(), b.c_str());
  return order != 0 ? order < 0 : a < b;
}

}  // namespace

std::string Directory::next() { return at_ < entries_.size() ? entries_[at_++] : std::string(); }

std::int32_t FileSystem::openDirectory(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return 0;
  std::vector<std::string> entries;
  while (const dirent* entry = ::readdir(dir)) entries.emplace_back(entry->d_name);
  ::closedir(dir);
  if (entries.empty()) return 0;
  std::sort(entries.begin(), entries.end(), listedBefore);
  return directories_.add(std::make_unique<Directory>(std::move(entries)));
}

Directory* FileSystem::directory(std::int32_t handle) const {
  return directories_.require(handle, "Directory does not exist");
}

void FileSystem::closeDirectory(std::int32_t handle) { directories_.erase(handle); }

}  // namespace korvo::stdlib
