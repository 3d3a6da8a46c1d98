// KvStream: the byte stream behind every stream handle a program holds (files here; TCP and
// UDP streams derive from it too), and the set of live streams, kept by the run's host,
// that gives them their handles.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo::stdlib {

class KvStream {
 public:
  // Enters the stream into the live set under a new handle (never reused within a run); a
  // stream made with no host running has handle 0, which no command finds.
  KvStream();
  // Leaves the live set.
  virtual ~KvStream();
  KvStream(const KvStream&) = delete;
  KvStream& operator=(const KvStream&) = delete;

  // Reads up to size bytes; how many arrived (0 at the end or on error).
  virtual std::int32_t read(void* buffer, std::int32_t size) = 0;
  // Writes size bytes; how many were written.
  virtual std::int32_t write(const void* buffer, std::int32_t size) = 0;
  // Bytes that can be read without waiting.
  virtual std::int32_t avail() = 0;
  // Nonzero when no more data can come.
  virtual std::int32_t eof() = 0;

  // The handle programs use for this stream.
  std::int32_t handle() const { return handle_; }

 private:
  std::int32_t handle_;
};

// The live stream behind handle, or null.
KvStream* findStream(std::int32_t handle);
// The live stream; outside debug mode a dead handle gives null, in debug mode it raises
// "Stream does not exist".
KvStream* requireStream(std::int32_t handle);
// How many streams are alive (all kinds).
std::size_t liveStreamCount();

}  // namespace korvo::stdlib
