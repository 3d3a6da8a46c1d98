// Directory listings and the path commands. Failures of the platform are silent: the
// result says 0 or "", or nothing happens.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <system_error>

#include "backend/path_resolver.h"
#include "stdlib/file_system.h"
#include "stdlib/filesystem_commands.h"

namespace korvo::cmd {
namespace {

using platform::resolvePath;

std::string resolved(KvString* name) {
  core::StringArg arg(name);
  return resolvePath(arg.view());
}

bool statPath(const std::string& path, struct stat& st) { return !path.empty() && ::stat(path.c_str(), &st) == 0; }

}  // namespace

std::int32_t ReadDir(KvString* dirname) {
  const std::string path = resolved(dirname);
  stdlib::FileSystem* fs = stdlib::fileSystem();
  if (!fs) return 0;
  // An empty name lists the root of the file system.
  return fs->openDirectory(path.empty() ? std::string(1, '/') : path);
}

void CloseDir(std::int32_t dir) {
  if (stdlib::FileSystem* fs = stdlib::fileSystem()) fs->closeDirectory(dir);
}

KvString* NextFile(std::int32_t dir) {
  stdlib::FileSystem* fs = stdlib::fileSystem();
  stdlib::Directory* listing = fs ? fs->directory(dir) : nullptr;
  return core::newString(listing ? listing->next() : std::string());
}

KvString* CurrentDir() {
  char path[PATH_MAX];
  if (!::getcwd(path, sizeof path)) return core::newString("");
  std::string dir(path);
  if (dir.back() != '/') dir += '/';
  return core::newString(dir);
}

void ChangeDir(KvString* dir) {
  const std::string path = resolved(dir);
  if (!path.empty()) (void)::chdir(path.c_str());
}

void CreateDir(KvString* dir) {
  const std::string path = resolved(dir);
  if (!path.empty()) ::mkdir(path.c_str(), 0777);
}

void DeleteDir(KvString* dir) {
  const std::string path = resolved(dir);
  if (!path.empty()) ::rmdir(path.c_str());
}

std::int32_t FileSize(KvString* file) {
  struct stat st;
  if (!statPath(resolved(file), st) || S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(st.st_size));
}

std::int32_t FileType(KvString* file) {
  struct stat st;
  if (!statPath(resolved(file), st)) return 0;
  return S_ISDIR(st.st_mode) ? 2 : 1;
}

void CopyFile(KvString* file, KvString* to) {
  const std::string from = resolved(file);
  const std::string target = resolved(to);
  std::error_code ignored;
  std::filesystem::copy_file(from, target, std::filesystem::copy_options::overwrite_existing, ignored);
}

void DeleteFile(KvString* file) {
  const std::string path = resolved(file);
  if (!path.empty()) ::unlink(path.c_str());
}

}  // namespace korvo::cmd
