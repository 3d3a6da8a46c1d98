// The engine file layer: memory bounds, byte-swapped item reads, and disk, buffered and
// callback files reading the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>

#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {
namespace {

std::vector<std::uint8_t> counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
  return bytes;
}

std::string writeTemp(const std::vector<std::uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("korvo_sound_file_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

TEST(SoundFileTest, MemoryReadsStopAtTheEndAndSeeksAreClamped) {
  const auto bytes = counting(10);
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  ASSERT_TRUE(file);
  EXPECT_EQ(file->name(), "Memory file");
  EXPECT_EQ(file->length(), 10);
  std::uint8_t buffer[16] = {};
  EXPECT_EQ(file->read(buffer, 4, 4), 2u);  // only two whole items fit
  EXPECT_EQ(file->tell(), 8);
  EXPECT_FALSE(file->seek(-20, SeekFrom::kCurrent));
  EXPECT_EQ(file->tell(), 0);
  EXPECT_FALSE(file->seek(5, SeekFrom::kEnd));
  EXPECT_EQ(file->tell(), 10);
  EXPECT_EQ(file->read(buffer, 1, 1), 0u);
  EXPECT_TRUE(file->seek(-3, SeekFrom::kEnd));
  EXPECT_EQ(file->read(buffer, 1, 16), 3u);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_FALSE(file->seek(INT64_MAX, SeekFrom::kCurrent));
  EXPECT_EQ(file->tell(), 10);
  EXPECT_FALSE(SoundFile::openMemory(nullptr, 4));
}

TEST(SoundFileTest, BigEndianFilesSwapTwoAndFourByteItemsOnly) {
  const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  file->setBigEndian(true);
  std::uint16_t half = 0;
  ASSERT_EQ(file->read(&half, 2, 1), 1u);
  EXPECT_EQ(half, 0x1234);
  std::uint32_t word = 0;
  ASSERT_EQ(file->read(&word, 4, 1), 1u);
  EXPECT_EQ(word, 0x56789ABCu);
  file->seek(0, SeekFrom::kStart);
  std::uint8_t raw[3] = {};
  ASSERT_EQ(file->read(raw, 3, 1), 1u);
  EXPECT_EQ(raw[0], 0x12);
  file->setBigEndian(false);
  file->seek(0, SeekFrom::kStart);
  ASSERT_EQ(file->read(&half, 2, 1), 1u);
  EXPECT_EQ(half, 0x3412);
}

TEST(SoundFileTest, DiskAndBufferedFilesReadAlikeAcrossBufferBoundaries) {
  const auto bytes = counting(5000);
  const std::string path = writeTemp(bytes);
  EXPECT_FALSE(SoundFile::open(path + ".missing"));
  for (bool buffered : {false, true}) {
    auto file = SoundFile::open(path, buffered);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->kind(), buffered ? SoundFile::Kind::kBuffered : SoundFile::Kind::kDisk);
    EXPECT_EQ(file->length(), 5000);
    std::vector<std::uint8_t> got(5000);
    std::size_t at = 0;
    // Small reads, a seek back into the window, and a large read past several windows.
    for (std::size_t step : {1u, 7u, 2040u, 3u}) at += file->read(got.data() + at, 1, step);
    file->seek(100, SeekFrom::kStart);
    std::uint8_t b = 0;
    file->read(&b, 1, 1);
    EXPECT_EQ(b, 100);
    file->seek(static_cast<std::int64_t>(at), SeekFrom::kStart);
    at += file->read(got.data() + at, 1, 9000);
    EXPECT_EQ(at, 5000u);
    EXPECT_EQ(got, bytes);
  }
  std::filesystem::remove(path);
}

// Program callbacks over an in-memory table of named files.
std::map<std::string, std::vector<std::uint8_t>> callbackFiles;
struct CallbackHandle {
  const std::vector<std::uint8_t>* bytes;
  std::int64_t at = 0;
};
int callbackCloses = 0;

const FileCallbacks kCallbacks{
    [](const char* name) -> void* {
      auto it = callbackFiles.find(name);
      return it == callbackFiles.end() ? nullptr : new CallbackHandle{&it->second};
    },
    [](void* h) {
      ++callbackCloses;
      delete static_cast<CallbackHandle*>(h);
    },
    [](void* buffer, std::int64_t size, void* h) -> std::int64_t {
      auto* c = static_cast<CallbackHandle*>(h);
      const std::int64_t n = std::min<std::int64_t>(size, static_cast<std::int64_t>(c->bytes->size()) - c->at);
      std::memcpy(buffer, c->bytes->data() + c->at, static_cast<std::size_t>(n));
      c->at += n;
      return n;
    },
    [](void* h, std::int64_t offset, int origin) {
      auto* c = static_cast<CallbackHandle*>(h);
      c->at = (origin == 0 ? 0 : origin == 1 ? c->at : static_cast<std::int64_t>(c->bytes->size())) + offset;
      return true;
    },
    [](void* h) { return static_cast<CallbackHandle*>(h)->at; },
};

TEST(SoundFileTest, InstalledCallbacksReplaceDiskFilesUntilRemoved) {
  callbackFiles["virtual.wav"] = counting(300);
  callbackCloses = 0;
  setFileCallbacks(&kCallbacks);
  {
    auto file = SoundFile::open("virtual.wav");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->kind(), SoundFile::Kind::kCallbacks);
    EXPECT_EQ(file->length(), 300);
    file->seek(-2, SeekFrom::kEnd);
    std::uint8_t tail[4] = {};
    EXPECT_EQ(file->read(tail, 1, 4), 2u);
    EXPECT_EQ(tail[1], static_cast<std::uint8_t>(299));
    EXPECT_FALSE(SoundFile::open("absent.wav"));
  }
  EXPECT_EQ(callbackCloses, 1);
  FileCallbacks partial = kCallbacks;
  partial.tell = nullptr;
  setFileCallbacks(&partial);  // an incomplete set is not used
  EXPECT_FALSE(SoundFile::open("virtual.wav"));
  setFileCallbacks(nullptr);
}

}  // namespace
}  // namespace korvo::sound::formats
