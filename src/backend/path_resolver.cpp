// Case-insensitive, backslash-tolerant path resolution.
#include "backend/path_resolver.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace korvo::platform {
namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of dir whose name equals component ignoring case, or component itself.
std::string matchEntry(const std::string& dir, const std::string& component) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return component;
  std::string found = component;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, component.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string resolvePath(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.empty() || exists(path)) return path;

  const bool absolute = path[0] == '/';
  std::vector<std::string> components;
  std::size_t start = absolute ? 1 : 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string::npos ? path.size() : slash;
    components.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }

  std::string resolved = absolute ? "/" : "";
  for (std::size_t i = 0; i < components.size(); ++i) {
    std::string component = components[i];
    if (!component.empty() && component != "." && component != ".." && !exists(resolved + component)) {
      component = matchEntry(resolved, component);
    }
    resolved += component;
    if (i + 1 < components.size()) resolved += '/';
  }
  return resolved;
}

}  // namespace korvo::platform
