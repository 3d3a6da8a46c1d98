// Builds sound files in memory for the loader tests: RIFF WAVE, AIFF and MPEG frames.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace korvo::test {

using Bytes = std::vector<std::uint8_t>;

inline void putLe16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void putLe32(Bytes& b, std::uint32_t v) {
  putLe16(b, v & 0xFFFF);
  putLe16(b, v >> 16);
}
inline void putBe16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}
inline void putBe32(Bytes& b, std::uint32_t v) {
  putBe16(b, v >> 16);
  putBe16(b, v & 0xFFFF);
}
inline void putId(Bytes& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}
inline void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// A little-endian RIFF chunk; odd bodies get their pad byte unless told otherwise. size
// overrides the size field.
inline Bytes riffChunk(const char* id, const Bytes& body, bool pad = true, std::int64_t size = -1) {
  Bytes b;
  putId(b, id);
  putLe32(b, size < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(size));
  append(b, body);
  if (pad && (body.size() & 1)) b.push_back(0);
  return b;
}

inline Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes b;
  const std::uint16_t align = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
  putLe16(b, tag);
  putLe16(b, channels);
  putLe32(b, rate);
  putLe32(b, rate * align);
  putLe16(b, align);
  putLe16(b, bits);
  return b;
}

// WAVE_FORMAT_EXTENSIBLE with the given sub-format tag.
inline Bytes extensibleFmtBody(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes b = fmtBody(0xFFFE, channels, rate, bits);
  putLe16(b, 22);
  putLe16(b, bits);
  putLe32(b, channels == 2 ? 3 : 4);
  putLe16(b, subTag);
  const std::uint8_t guidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  b.insert(b.end(), guidTail, guidTail + 14);
  return b;
}

// A container: its id, the size of what follows (in the container's byte order), the form
// type and the chunks.
inline Bytes container(const char* id, const char* type, bool bigEndian, std::initializer_list<Bytes> chunks) {
  Bytes body;
  putId(body, type);
  for (const Bytes& c : chunks) append(body, c);
  Bytes b;
  putId(b, id);
  (bigEndian ? putBe32 : putLe32)(b, static_cast<std::uint32_t>(body.size()));
  append(b, body);
  return b;
}

inline Bytes riffWave(std::initializer_list<Bytes> chunks) { return container("RIFF", "WAVE", false, chunks); }

inline Bytes smplBody(std::uint32_t loops, std::uint32_t start, std::uint32_t end) {
  Bytes b(28, 0);
  putLe32(b, loops);
  putLe32(b, 0);
  putLe32(b, 1);  // loop id
  putLe32(b, 0);  // forward
  putLe32(b, start);
  putLe32(b, end);
  putLe32(b, 0);
  putLe32(b, 0);
  return b;
}

struct TestCue {
  std::uint32_t id;
  std::uint32_t offset;
};
inline Bytes cueBody(std::initializer_list<TestCue> cues) {
  Bytes b;
  putLe32(b, static_cast<std::uint32_t>(cues.size()));
  for (const TestCue& c : cues) {
    putLe32(b, c.id);
    putLe32(b, c.offset);
    putId(b, "data");
    putLe32(b, 0);
    putLe32(b, 0);
    putLe32(b, c.offset);
  }
  return b;
}

inline Bytes labl(std::uint32_t id, const std::string& text) {
  Bytes b;
  putLe32(b, id);
  b.insert(b.end(), text.begin(), text.end());
  b.push_back(0);
  return riffChunk("labl", b);
}

// A big-endian IFF chunk; odd bodies are padded unless told otherwise.
inline Bytes iffChunk(const char* id, const Bytes& body, bool pad = true) {
  Bytes b;
  putId(b, id);
  putBe32(b, static_cast<std::uint32_t>(body.size()));
  append(b, body);
  if (pad && (body.size() & 1)) b.push_back(0);
  return b;
}

inline Bytes extended80(double value) {
  Bytes b;
  int exponent = 0;
  const double mantissa = std::frexp(value, &exponent);  // value = mantissa × 2^exponent, 0.5 <= mantissa < 1
  const auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
  putBe16(b, value == 0 ? 0 : static_cast<std::uint32_t>(exponent - 1 + 16383));
  putBe32(b, static_cast<std::uint32_t>(bits >> 32));
  putBe32(b, static_cast<std::uint32_t>(bits));
  return b;
}

inline Bytes commBody(std::uint16_t channels, std::uint32_t frames, std::uint16_t bits, double rate) {
  Bytes b;
  putBe16(b, channels);
  putBe32(b, frames);
  putBe16(b, bits);
  append(b, extended80(rate));
  return b;
}

inline Bytes ssndBody(const Bytes& data, std::uint32_t offset = 0) {
  Bytes b;
  putBe32(b, offset);
  putBe32(b, 0);
  b.insert(b.end(), offset, 0xEE);
  append(b, data);
  return b;
}

inline Bytes aiffForm(std::initializer_list<Bytes> chunks) { return container("FORM", "AIFF", true, chunks); }

// count MPEG-1 layer II frames, 44100 Hz mono at 128 kbit/s (417 bytes each) with silent
// (all-zero) payloads.
inline Bytes silentMpegFrames(int count) {
  Bytes b;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t header[4] = {0xFF, 0xFD, 0x80, 0xC0};
    b.insert(b.end(), header, header + 4);
    b.insert(b.end(), 417 - 4, 0);
  }
  return b;
}

// An ID3v2 tag with a body of size bytes.
inline Bytes id3Tag(std::uint32_t size) {
  Bytes b = {'I', 'D', '3', 3, 0, 0};
  b.push_back(static_cast<std::uint8_t>(size >> 21 & 0x7F));
  b.push_back(static_cast<std::uint8_t>(size >> 14 & 0x7F));
  b.push_back(static_cast<std::uint8_t>(size >> 7 & 0x7F));
  b.push_back(static_cast<std::uint8_t>(size & 0x7F));
  b.insert(b.end(), size, 0);
  return b;
}

// 16-bit little-endian samples as bytes.
inline Bytes pcm16(std::initializer_list<std::int16_t> samples) {
  Bytes b;
  for (std::int16_t s : samples) putLe16(b, static_cast<std::uint16_t>(s));
  return b;
}

}  // namespace korvo::test
