// FileStream: a stream over one buffered binary file. A file opened for writing never
// touches the file it replaces until it is closed: the bytes go to a temporary file beside
// the target, which is flushed to disk and renamed over the target on close, so a crash or
// a full disk leaves the old file whole. A replacement that lost bytes (a short write), or
// that the program left open when it failed, is dropped instead and the old file stays.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "stdlib/kv_stream.h"

namespace korvo::stdlib {

enum class FileMode {
  kRead,     // an existing file, read only
  kReplace,  // a new file that replaces any old one when closed
  kUpdate,   // an existing file, read and written in place
};

class FileStream : public KvStream {
 public:
  // Opens path (a platform path); null when it cannot be opened in that mode.
  static std::unique_ptr<FileStream> open(const std::string& path, FileMode mode);
  // Closes the file as close() does.
  ~FileStream() override;

  std::int32_t read(void* buffer, std::int32_t size) override;
  std::int32_t write(const void* buffer, std::int32_t size) override;
  // Bytes waiting in the read buffer; a file reports nothing beyond them.
  std::int32_t avail() override;
  std::int32_t eof() override;

  // Bytes from the start of the file, -1 on failure.
  std::int32_t position();
  // Moves to pos bytes from the start; the new position, or -1 when the seek fails.
  std::int32_t seek(std::int32_t pos);

  // Finishes the file. A replacement is flushed to disk and renamed over its target; false
  // when that failed or a write fell short (the old file then stays as it was and the new
  // bytes are dropped).
  bool close();
  // Closes the file; a replacement is dropped whatever was written, its target left as it was.
  void abandon();

 private:
  // A file buffer that tells how many bytes its read area still holds.
  class Buffer : public std::filebuf {
   public:
    std::streamsize buffered() const { return egptr() - gptr(); }
  };

  FileStream() = default;
  // Opens the temporary a replacement of path is written to (or, where the folder refuses
  // new files, path itself); false when neither may be written.
  bool openReplacement(const std::string& path);
  bool commitReplacement();
  void dropReplacement();

  Buffer buffer_;
  std::string target_;     // the file a replacement goes to; empty otherwise
  std::string temporary_;  // where a replacement's bytes are written
  bool closed_ = false;
  bool failed_ = false;  // a write fell short: a replacement must not be committed
};

}  // namespace korvo::stdlib
