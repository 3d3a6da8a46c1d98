// File streams on the standard file buffer, and the write-beside-then-rename protocol of
// replacements.
#include "stdlib/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "stdlib/temporary_files.h"

namespace korvo::stdlib {
namespace {

// The absolute name of the file a replacement goes to: fixed at open, so that a later
// ChangeDir does not move it, and the real file behind a symbolic link, so that the link
// survives.
std::string replacementTarget(const std::string& path) {
  char real[PATH_MAX];
  if (::realpath(path.c_str(), real)) return real;
  if (path[0] == '/') return path;
  if (!::getcwd(real, sizeof real)) return path;
  return std::string(real) + "/" + path;
}

// A folder that refuses new files by its permissions, while the file in it may still be
// written: the one case where a replacement is written in place. Anything else (a full
// disk, no inodes left, no descriptors) refuses the open and touches nothing.
bool folderRefusesNewFiles(int error) { return error == EACCES || error == EPERM; }

bool syncToDisk(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

std::unique_ptr<FileStream> FileStream::open(const std::string& path, FileMode mode) {
  struct stat st;
  // A directory is never a file stream (the C library would open one for reading).
  if (path.empty() || (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return nullptr;
  std::unique_ptr<FileStream> stream(new FileStream());
  constexpr auto kBinary = std::ios::binary;
  switch (mode) {
    case FileMode::kRead:
      if (!stream->buffer_.open(path, std::ios::in | kBinary)) return nullptr;
      break;
    case FileMode::kUpdate:
      if (!stream->buffer_.open(path, std::ios::in | std::ios::out | kBinary)) return nullptr;
      break;
    case FileMode::kReplace:
      if (!stream->openReplacement(path)) return nullptr;
      break;
  }
  return stream;
}

bool FileStream::openReplacement(const std::string& path) {
  constexpr auto kWrite = std::ios::out | std::ios::trunc | std::ios::binary;
  const std::string target = replacementTarget(path);
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // What could not be overwritten in place must not be replaced either.
  if (exists && ::access(target.c_str(), W_OK) != 0) return false;
  // A device, pipe or socket is written to where it is: renaming a file over it would put a
  // plain file in the place of the device.
  if (exists && !S_ISREG(old.st_mode)) return buffer_.open(target, kWrite) != nullptr;
  removeLeftoverTemporaries(target);
  std::string temporary = createTemporaryBeside(target, exists ? &old : nullptr);
  if (temporary.empty()) return exists && folderRefusesNewFiles(errno) && buffer_.open(target, kWrite);
  if (!buffer_.open(temporary, kWrite)) {
    ::unlink(temporary.c_str());
    return false;
  }
  target_ = target;
  temporary_ = std::move(temporary);
  return true;
}

FileStream::~FileStream() { close(); }

std::int32_t FileStream::read(void* buffer, std::int32_t size) {
  if (size <= 0 || closed_) return 0;
  return static_cast<std::int32_t>(buffer_.sgetn(static_cast<char*>(buffer), size));
}

std::int32_t FileStream::write(const void* buffer, std::int32_t size) {
  // A replacement that lost bytes is dropped at close; nothing more goes to the disk.
  if (size <= 0 || closed_ || failed_) return 0;
  const auto written = static_cast<std::int32_t>(buffer_.sputn(static_cast<const char*>(buffer), size));
  if (written != size) failed_ = true;
  return written;
}

std::int32_t FileStream::avail() {
  if (closed_) return 0;
  const std::streamsize n = buffer_.buffered();
  return n > 0 ? static_cast<std::int32_t>(n) : 0;
}

std::int32_t FileStream::eof() {
  if (closed_) return 1;
  return buffer_.sgetc() == std::filebuf::traits_type::eof() ? 1 : 0;
}

std::int32_t FileStream::position() {
  if (closed_) return -1;
  const auto pos = buffer_.pubseekoff(0, std::ios::cur, std::ios::in | std::ios::out);
  return pos == std::streampos(-1) ? -1 : static_cast<std::int32_t>(static_cast<std::streamoff>(pos));
}

std::int32_t FileStream::seek(std::int32_t pos) {
  if (closed_ || pos < 0) return -1;
  const auto at = buffer_.pubseekpos(pos, std::ios::in | std::ios::out);
  return at == std::streampos(-1) ? -1 : static_cast<std::int32_t>(static_cast<std::streamoff>(at));
}

bool FileStream::close() {
  if (closed_) return true;
  closed_ = true;
  const bool flushed = buffer_.close() != nullptr && !failed_;
  if (target_.empty()) return flushed;
  if (flushed) return commitReplacement();
  dropReplacement();
  return false;
}

void FileStream::abandon() {
  if (closed_) return;
  closed_ = true;
  buffer_.close();
  if (!target_.empty()) dropReplacement();
}

void FileStream::dropReplacement() { ::unlink(temporary_.c_str()); }

bool FileStream::commitReplacement() {
  // Data first, then the name: the target is either the old file or the complete new one.
  if (!syncToDisk(temporary_, O_RDONLY) || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    dropReplacement();
    return false;
  }
  syncToDisk(directoryOf(target_), O_RDONLY | O_DIRECTORY);
  return true;
}

}  // namespace korvo::stdlib
