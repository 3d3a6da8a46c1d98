// File streams on the standard file buffer, and the write-beside-then-rename protocol of
// replacements.
#include "stdlib/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace korvo::stdlib {
namespace {

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

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

// The most of the target's own name a temporary's name repeats: with the prefix and suffix
// it stays well inside the usual 255-byte limit on one name.
constexpr std::size_t kTemporaryBaseLength = 160;

// Creates a new, empty file beside target (mode: that of the file it will replace, else
// the usual 0666 less the umask); its name, or empty on failure.
std::string createBeside(const std::string& target, const struct stat* old) {
  static unsigned counter = 0;
  const std::string dir = directoryOf(target);
  // A shortened base keeps the temporary's name legal however long the target's is.
  const std::string base = target.substr(target.rfind('/') + 1).substr(0, kTemporaryBaseLength);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = dir + "/." + base + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (old) ::fchmod(fd, old->st_mode & 07777);
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

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
    case FileMode::kReplace: {
      const std::string target = replacementTarget(path);
      struct stat old;
      const bool exists = ::stat(target.c_str(), &old) == 0;
      // What could not be overwritten in place must not be replaced either.
      if (exists && ::access(target.c_str(), W_OK) != 0) return nullptr;
      // A device, pipe or socket is written to where it is: renaming a file over it would
      // put a plain file in the place of the device. So is a file in a folder that takes no
      // new files: it can still be overwritten, only not replaced.
      std::string temporary;
      if (!exists || S_ISREG(old.st_mode)) temporary = createBeside(target, exists ? &old : nullptr);
      if (temporary.empty()) {
        if (!exists || !stream->buffer_.open(target, std::ios::out | std::ios::trunc | kBinary)) return nullptr;
        break;
      }
      if (!stream->buffer_.open(temporary, std::ios::out | std::ios::trunc | kBinary)) {
        ::unlink(temporary.c_str());
        return nullptr;
      }
      stream->target_ = target;
      stream->temporary_ = std::move(temporary);
      break;
    }
  }
  return stream;
}

FileStream::~FileStream() { close(); }

std::int32_t FileStream::read(void* buffer, std::int32_t size) {
  if (size <= 0 || closed_) return 0;
  return static_cast<std::int32_t>(buffer_.sgetn(static_cast<char*>(buffer), size));
}

std::int32_t FileStream::write(const void* buffer, std::int32_t size) {
  if (size <= 0 || closed_) return 0;
  return static_cast<std::int32_t>(buffer_.sputn(static_cast<const char*>(buffer), size));
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
  const bool flushed = buffer_.close() != nullptr;
  if (target_.empty()) return flushed;
  if (flushed) return commitReplacement();
  ::unlink(temporary_.c_str());
  return false;
}

bool FileStream::commitReplacement() {
  // Data first, then the name: the target is either the old file or the complete new one.
  if (!syncToDisk(temporary_, O_RDONLY) || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ::unlink(temporary_.c_str());
    return false;
  }
  syncToDisk(directoryOf(target_), O_RDONLY | O_DIRECTORY);
  return true;
}

}  // namespace korvo::stdlib
