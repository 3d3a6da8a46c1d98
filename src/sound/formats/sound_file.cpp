// The four kinds of engine file: disk (C stdio), memory, program callbacks and buffered disk.
#include "sound/formats/sound_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <sys/stat.h>

#include "backend/path_resolver.h"

namespace korvo::sound::formats {
namespace {

// The program's file callbacks: a complete set or none. Files open on any thread.
struct InstalledCallbacks {
  std::mutex mutex;
  FileCallbacks set{};
};
InstalledCallbacks gFileCallbacks;

class DiskFile final : public SoundFile {
 public:
  DiskFile(std::FILE* file, std::string name, std::int64_t length)
      : SoundFile(Kind::kDisk, std::move(name)), file_(file) {
    length_ = length;
  }
  ~DiskFile() override { std::fclose(file_); }

 protected:
  std::size_t readAt(void* buffer, std::size_t size) override { return std::fread(buffer, 1, size, file_); }
  bool moveTo(std::int64_t offset) override { return fseeko(file_, offset, SEEK_SET) == 0; }

 private:
  std::FILE* file_;
};

// Keeps a 2048-byte window of the file so that the many small header reads of the loaders
// cost one system read each window.
class BufferedFile final : public SoundFile {
 public:
  static constexpr std::size_t kBufferSize = 2048;
  BufferedFile(std::FILE* file, std::string name, std::int64_t length)
      : SoundFile(Kind::kBuffered, std::move(name)), file_(file), buffer_(kBufferSize) {
    length_ = length;
  }
  ~BufferedFile() override { std::fclose(file_); }

 protected:
  std::size_t readAt(void* out, std::size_t size) override {
    auto* dest = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    std::int64_t at = position_;
    while (done < size) {
      if (at >= bufferStart_ && at < bufferStart_ + static_cast<std::int64_t>(filled_)) {
        const std::size_t offset = static_cast<std::size_t>(at - bufferStart_);
        const std::size_t n = std::min(size - done, filled_ - offset);
        std::memcpy(dest + done, buffer_.data() + offset, n);
        done += n;
        at += static_cast<std::int64_t>(n);
        continue;
      }
      if (fseeko(file_, at, SEEK_SET) != 0) break;
      if (size - done >= kBufferSize) {
        const std::size_t n = std::fread(dest + done, 1, size - done, file_);
        done += n;
        break;
      }
      bufferStart_ = at;
      filled_ = std::fread(buffer_.data(), 1, kBufferSize, file_);
      if (filled_ == 0) break;
    }
    return done;
  }
  bool moveTo(std::int64_t) override { return true; }

 private:
  std::FILE* file_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t bufferStart_ = 0;
  std::size_t filled_ = 0;
};

class MemoryFile final : public SoundFile {
 public:
  MemoryFile(const void* data, std::size_t length)
      : SoundFile(Kind::kMemory, kMemoryFileName), data_(static_cast<const std::uint8_t*>(data)) {
    length_ = static_cast<std::int64_t>(length);
  }

 protected:
  std::size_t readAt(void* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, static_cast<std::size_t>(length_ - position_));
    if (n != 0) std::memcpy(buffer, data_ + position_, n);
    return n;
  }
  bool moveTo(std::int64_t) override { return true; }

 private:
  const std::uint8_t* data_;
};

class CallbackFile final : public SoundFile {
 public:
  CallbackFile(const FileCallbacks& callbacks, void* handle, std::string name)
      : SoundFile(Kind::kCallbacks, std::move(name)), callbacks_(callbacks), handle_(handle) {
    if (callbacks_.seek(handle_, 0, 2)) length_ = std::max<std::int64_t>(0, callbacks_.tell(handle_));
    callbacks_.seek(handle_, 0, 0);
  }
  ~CallbackFile() override { callbacks_.close(handle_); }

 protected:
  // A program's read may stop short of what was asked (like a pipe): it is asked again until
  // the bytes are all there or it gives nothing.
  std::size_t readAt(void* buffer, std::size_t size) override {
    auto* dest = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < size) {
      const std::int64_t n = callbacks_.read(dest + done, static_cast<std::int64_t>(size - done), handle_);
      if (n <= 0) break;
      done += std::min(static_cast<std::size_t>(n), size - done);
    }
    return done;
  }
  bool moveTo(std::int64_t offset) override { return callbacks_.seek(handle_, offset, 0); }

 private:
  FileCallbacks callbacks_;
  void* handle_;
};

void swapItems(std::uint8_t* p, std::size_t itemSize, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, p += itemSize) std::reverse(p, p + itemSize);
}

}  // namespace

void setFileCallbacks(const FileCallbacks* callbacks) {
  const bool complete =
      callbacks && callbacks->open && callbacks->close && callbacks->read && callbacks->seek && callbacks->tell;
  std::lock_guard lock(gFileCallbacks.mutex);
  gFileCallbacks.set = complete ? *callbacks : FileCallbacks{};
}

std::unique_ptr<SoundFile> SoundFile::open(const std::string& name, bool buffered) {
  FileCallbacks callbacks{};
  {
    std::lock_guard lock(gFileCallbacks.mutex);
    callbacks = gFileCallbacks.set;
  }
  if (callbacks.open) {
    void* handle = callbacks.open(name.c_str());
    if (!handle) return nullptr;
    return std::unique_ptr<SoundFile>(new CallbackFile(callbacks, handle, name));
  }
  // Program names may use backslashes and any letter case; callbacks get them as given.
  std::FILE* file = std::fopen(platform::resolvePath(name).c_str(), "rb");
  if (!file) return nullptr;
  // Folders open for reading here, and report made-up lengths; they are no sound files.
  struct stat status {};
  if (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  std::int64_t length = -1;
  if (fseeko(file, 0, SEEK_END) == 0) length = ftello(file);
  if (length < 0 || fseeko(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  if (buffered) return std::unique_ptr<SoundFile>(new BufferedFile(file, name, length));
  return std::unique_ptr<SoundFile>(new DiskFile(file, name, length));
}

std::unique_ptr<SoundFile> SoundFile::openMemory(const void* data, std::size_t length) {
  if (!data && length != 0) return nullptr;
  return std::unique_ptr<SoundFile>(new MemoryFile(data, length));
}

std::size_t SoundFile::read(void* buffer, std::size_t itemSize, std::size_t count) {
  if (itemSize == 0 || count == 0) return 0;
  const std::size_t wanted = std::min<std::size_t>(count, static_cast<std::size_t>(remaining()) / itemSize);
  const std::size_t bytes = readAt(buffer, wanted * itemSize);
  position_ += static_cast<std::int64_t>(bytes);
  const std::size_t items = bytes / itemSize;
  if (bigEndian_ && (itemSize == 2 || itemSize == 4)) swapItems(static_cast<std::uint8_t*>(buffer), itemSize, items);
  return items;
}

bool SoundFile::seek(std::int64_t offset, SeekFrom from) {
  const std::int64_t base = from == SeekFrom::kStart ? 0 : from == SeekFrom::kCurrent ? position_ : length_;
  std::int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) target = offset < 0 ? -1 : length_ + 1;
  const bool inside = target >= 0 && target <= length_;
  target = std::clamp<std::int64_t>(target, 0, length_);
  if (!moveTo(target)) return false;
  position_ = target;
  return inside;
}

}  // namespace korvo::sound::formats
