// The engine's file layer: every loader reads through a SoundFile, which is a disk file, a
// block of memory, a program's own file callbacks, or a disk file read through a small
// buffer of its own. Reads of 2- and 4-byte items can swap bytes for big-endian formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace korvo::sound::formats {

enum class SeekFrom { kStart, kCurrent, kEnd };

// A program's replacement for disk files; installed only when all five are present.
struct FileCallbacks {
  void* (*open)(const char* name);
  void (*close)(void* handle);
  // Bytes read into buffer, 0 at the end.
  std::int64_t (*read)(void* buffer, std::int64_t size, void* handle);
  // origin: 0 start, 1 current, 2 end; false on failure.
  bool (*seek)(void* handle, std::int64_t offset, int origin);
  std::int64_t (*tell)(void* handle);
};

// Installs callbacks for disk names (an incomplete set, or null, restores plain files).
void setFileCallbacks(const FileCallbacks* callbacks);

// The name given to samples and streams loaded from memory.
inline constexpr const char* kMemoryFileName = "Memory file";

// Where a sample or stream takes its sound from: a named file, or bytes in memory that the
// caller keeps alive.
struct SoundSource {
  std::string name;            // the file, when data is null
  const void* data = nullptr;  // the bytes in memory
  std::size_t size = 0;

  static SoundSource file(std::string name) { return {std::move(name), nullptr, 0}; }
  static SoundSource memory(const void* data, std::size_t size) { return {"", data, size}; }
  bool inMemory() const { return data != nullptr; }
};

class SoundFile {
 public:
  enum class Kind { kDisk, kMemory, kCallbacks, kBuffered };

  // Opens a named file (through the installed callbacks when there are any, else the program
  // name resolved on disk); null when it cannot be opened. buffered reads a plain disk file through a 2048-byte buffer.
  static std::unique_ptr<SoundFile> open(const std::string& name, bool buffered = false);
  // Reads from memory the caller keeps alive; null for a null pointer with a length.
  static std::unique_ptr<SoundFile> openMemory(const void* data, std::size_t length);
  // The file or memory of source.
  static std::unique_ptr<SoundFile> open(const SoundSource& source) {
    return source.inMemory() ? openMemory(source.data, source.size) : open(source.name);
  }

  virtual ~SoundFile() = default;
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  // Reads up to count items of itemSize bytes; returns whole items read. Items of 2 or 4
  // bytes are byte-swapped when the file is flagged big-endian.
  std::size_t read(void* buffer, std::size_t itemSize, std::size_t count);
  // Moves within 0..length (a target outside is clamped and reported as false).
  bool seek(std::int64_t offset, SeekFrom from);
  std::int64_t tell() const { return position_; }
  std::int64_t length() const { return length_; }
  // Bytes left from the current position to the end.
  std::int64_t remaining() const { return length_ - position_; }

  void setBigEndian(bool on) { bigEndian_ = on; }
  Kind kind() const { return kind_; }
  // The file name, or "Memory file".
  const std::string& name() const { return name_; }

 protected:
  SoundFile(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
  // Reads up to size bytes at position_; returns bytes read.
  virtual std::size_t readAt(void* buffer, std::size_t size) = 0;
  // Repositions the underlying source at an absolute offset within 0..length.
  virtual bool moveTo(std::int64_t offset) = 0;

  std::int64_t position_ = 0;
  std::int64_t length_ = 0;

 private:
  Kind kind_;
  std::string name_;
  bool bigEndian_ = false;
};

}  // namespace korvo::sound::formats
