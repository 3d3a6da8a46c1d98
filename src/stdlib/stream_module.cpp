// The stream module: the commands that work on every kind of stream (the streams belong
// to the modules that open them). Handles are checked in debug mode; outside it a dead
// handle reads as nothing (0, "" or end of stream) and writes nowhere.
#include <bit>
#include <string>
#include <vector>

#include "base/kv_ex.h"
#include "stdlib/stdlib_modules.h"
#include "stdlib/kv_stream.h"
#include "stdlib/stream_commands.h"

namespace korvo::cmd {
namespace {

using stdlib::KvStream;
using stdlib::requireStream;

constexpr std::int32_t kMaxCopyBuffer = 1048576;
// ReadString gathers the bytes in pieces so that a false count never allocates its size.
constexpr std::int32_t kStringChunk = 65536;
// A longer line is returned in pieces of this many bytes, the rest by the next ReadLine: a
// stream without line ends (a device, a peer) cannot make one line take all the memory.
constexpr std::size_t kLinePiece = 16 * 1024 * 1024;

// Reads n (at most 4) bytes in one read as a little-endian number; missing bytes are 0.
std::uint32_t readLittleEndian(std::int32_t stream, std::int32_t n) {
  KvStream* s = requireStream(stream);
  if (!s) return 0;
  unsigned char bytes[4] = {};
  s->read(bytes, n);
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void writeLittleEndian(std::int32_t stream, std::uint32_t value, std::int32_t n) {
  KvStream* s = requireStream(stream);
  if (!s) return;
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  s->write(bytes, n);
}

}  // namespace

std::int32_t Eof(std::int32_t stream) {
  KvStream* s = requireStream(stream);
  // Nothing more can come from a stream that is gone; saying so ends a reading loop.
  return s ? s->eof() : 1;
}

std::int32_t ReadAvail(std::int32_t stream) {
  KvStream* s = requireStream(stream);
  return s ? s->avail() : 0;
}

std::int32_t ReadByte(std::int32_t stream) { return static_cast<std::int32_t>(readLittleEndian(stream, 1)); }

std::int32_t ReadShort(std::int32_t stream) { return static_cast<std::int32_t>(readLittleEndian(stream, 2)); }

std::int32_t ReadInt(std::int32_t stream) { return static_cast<std::int32_t>(readLittleEndian(stream, 4)); }

float ReadFloat(std::int32_t stream) { return std::bit_cast<float>(readLittleEndian(stream, 4)); }

KvString* ReadString(std::int32_t stream) {
  KvStream* s = requireStream(stream);
  if (!s) return core::newString("");
  unsigned char header[4] = {};
  if (s->read(header, 4) <= 0) return core::newString("");
  const std::int32_t count = static_cast<std::int32_t>(header[0] | (header[1] << 8) | (header[2] << 16) |
                                                       (static_cast<std::uint32_t>(header[3]) << 24));
  std::string text;
  std::int32_t remaining = count;
  while (remaining > 0) {
    const std::int32_t piece = remaining < kStringChunk ? remaining : kStringChunk;
    const std::size_t at = text.size();
    text.resize(at + static_cast<std::size_t>(piece));
    const std::int32_t got = s->read(text.data() + at, piece);
    text.resize(at + static_cast<std::size_t>(got > 0 ? got : 0));
    if (got <= 0) break;
    remaining -= got;
  }
  return core::newString(std::move(text));
}

KvString* ReadLine(std::int32_t stream) {
  KvStream* s = requireStream(stream);
  std::string line;
  char c = 0;
  while (s && line.size() < kLinePiece && s->read(&c, 1) == 1 && c != '\n') {
    if (c != '\r') line += c;
  }
  return core::newString(std::move(line));
}

void WriteByte(std::int32_t stream, std::int32_t value) {
  writeLittleEndian(stream, static_cast<std::uint32_t>(value), 1);
}

void WriteShort(std::int32_t stream, std::int32_t value) {
  writeLittleEndian(stream, static_cast<std::uint32_t>(value), 2);
}

void WriteInt(std::int32_t stream, std::int32_t value) {
  writeLittleEndian(stream, static_cast<std::uint32_t>(value), 4);
}

void WriteFloat(std::int32_t stream, float value) { writeLittleEndian(stream, std::bit_cast<std::uint32_t>(value), 4); }

void WriteString(std::int32_t stream, KvString* string) {
  core::StringArg text(string);
  writeLittleEndian(stream, static_cast<std::uint32_t>(text.view().size()), 4);
  if (KvStream* s = requireStream(stream)) s->write(text.view().data(), static_cast<std::int32_t>(text.view().size()));
}

void WriteLine(std::int32_t stream, KvString* string) {
  core::StringArg text(string);
  KvStream* s = requireStream(stream);
  if (!s) return;
  s->write(text.view().data(), static_cast<std::int32_t>(text.view().size()));
  s->write("\r\n", 2);
}

void CopyStream(std::int32_t source, std::int32_t destination, std::int32_t bufferSize) {
  KvStream* from = requireStream(source);
  KvStream* to = requireStream(destination);
  const bool legal = bufferSize >= 1 && bufferSize <= kMaxCopyBuffer;
  if (!legal && debugMode()) raiseError("Illegal buffer size");
  // Outside debug mode an illegal size copies nothing: a size of 0 would never finish.
  if (!from || !to || !legal) return;
  std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
  while (!from->eof() && !to->eof()) {
    const std::int32_t n = from->read(buffer.data(), bufferSize);
    to->write(buffer.data(), n);
    if (n < bufferSize) break;
  }
}

}  // namespace korvo::cmd

namespace korvo {

bool createStreamModule() { return true; }

void destroyStreamModule() {}

void registerStreamCommands(Registrar& r) {
  using namespace cmd;
  r.add("%Eof%stream", entry<&Eof>());
  r.add("%ReadAvail%stream", entry<&ReadAvail>());
  r.add("%ReadByte%stream", entry<&ReadByte>());
  r.add("%ReadShort%stream", entry<&ReadShort>());
  r.add("%ReadInt%stream", entry<&ReadInt>());
  r.add("#ReadFloat%stream", entry<&ReadFloat>());
  r.add("$ReadString%stream", entry<&ReadString>());
  r.add("$ReadLine%stream", entry<&ReadLine>());
  r.add("WriteByte%stream%byte", entry<&WriteByte>());
  r.add("WriteShort%stream%short", entry<&WriteShort>());
  r.add("WriteInt%stream%int", entry<&WriteInt>());
  r.add("WriteFloat%stream#float", entry<&WriteFloat>());
  r.add("WriteString%stream$string", entry<&WriteString>());
  r.add("WriteLine%stream$string", entry<&WriteLine>());
  r.add("CopyStream%src_stream%dest_stream%buffer_size=16384", entry<&CopyStream>());
}

}  // namespace korvo
