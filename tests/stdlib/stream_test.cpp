// Stream commands over file streams: byte formats, strings, lines, end of stream, the
// copy loop and what dead handles do in and out of debug mode.
#include <cstring>

#include "stdlib/filesystem_commands.h"
#include "stdlib/kv_stream.h"
#include "stdlib/stream_commands.h"
#include "stdlib_fixture.h"

namespace korvo::cmd {
namespace {

class Streams : public testing::StdlibTest {
 protected:
  // The bytes a writer leaves in a file once it is closed.
  template <typename F>
  std::string written(F&& writer) {
    const std::int32_t f = WriteFile(str("out.bin"));
    EXPECT_NE(f, 0);
    writer(f);
    CloseFile(f);
    return getFile("out.bin");
  }
  std::int32_t readerOf(const std::string& bytes) {
    putFile("in.bin", bytes);
    const std::int32_t f = ReadFile(str("in.bin"));
    EXPECT_NE(f, 0);
    return f;
  }
};

TEST_F(Streams, NumbersAreLittleEndian) {
  const std::string bytes = written([](std::int32_t f) {
    WriteByte(f, 0x1ff);
    WriteShort(f, 0x12345);
    WriteInt(f, 0x01020304);
    WriteFloat(f, 1.5f);
  });
  EXPECT_EQ(bytes, std::string("\xff\x45\x23\x04\x03\x02\x01\x00\x00\xc0\x3f", 11));
  const std::int32_t f = readerOf(bytes);
  EXPECT_EQ(ReadByte(f), 255);
  EXPECT_EQ(ReadShort(f), 0x2345);
  EXPECT_EQ(ReadInt(f), 0x01020304);
  EXPECT_EQ(ReadFloat(f), 1.5f);
  EXPECT_EQ(Eof(f), 1);
  EXPECT_EQ(ReadByte(f), 0);
}

TEST_F(Streams, ShortsAreUnsignedAndMissingBytesCountAsZero) {
  const std::int32_t f = readerOf("\xff\xff\x01\x02");
  EXPECT_EQ(ReadShort(f), 65535);
  EXPECT_EQ(ReadInt(f), 0x0201);
  EXPECT_EQ(ReadInt(f), 0);
  EXPECT_EQ(ReadFloat(f), 0.0f);
}

TEST_F(Streams, StringsAreCountedBytes) {
  const std::string bytes = written([this](std::int32_t f) {
    WriteString(f, str(""));
    WriteString(f, str(std::string("a\0b", 3)));
  });
  EXPECT_EQ(bytes, std::string("\0\0\0\0\3\0\0\0a\0b", 11));
  const std::int32_t f = readerOf(bytes);
  EXPECT_EQ(text(ReadString(f)), "");
  EXPECT_EQ(text(ReadString(f)), std::string("a\0b", 3));
  EXPECT_EQ(text(ReadString(f)), "");
}

TEST_F(Streams, ReadStringReturnsOnlyWhatArrived) {
  EXPECT_EQ(text(ReadString(readerOf(std::string("\x10\0\0\0abc", 7)))), "abc");
  EXPECT_EQ(text(ReadString(readerOf(std::string("\xff\xff\xff\x7f", 4) + "xyz"))), "xyz");
  EXPECT_EQ(text(ReadString(readerOf(std::string("\xff\xff\xff\xff", 4) + "xyz"))), "");
  EXPECT_EQ(text(ReadString(readerOf(std::string("\x05\0", 2)))), "");
  const std::string big(200000, 'q');
  const std::string header("\x40\x0d\x03\x00", 4);  // 200000
  EXPECT_EQ(text(ReadString(readerOf(header + big))), big);
}

TEST_F(Streams, LinesEndInCrLfAndReadBackWithoutThem) {
  const std::string bytes = written([this](std::int32_t f) {
    WriteLine(f, str("a"));
    WriteLine(f, str("b"));
  });
  EXPECT_EQ(bytes, "a\r\nb\r\n");
  const std::int32_t f = readerOf(bytes);
  EXPECT_EQ(text(ReadLine(f)), "a");
  EXPECT_EQ(text(ReadLine(f)), "b");
  EXPECT_EQ(Eof(f), 1);
  EXPECT_EQ(text(ReadLine(f)), "");
}

TEST_F(Streams, ReadLineTakesBareLfAndDropsEveryCr) {
  const std::int32_t f = readerOf("one\ntw\ro\r\n\nlast");
  EXPECT_EQ(text(ReadLine(f)), "one");
  EXPECT_EQ(text(ReadLine(f)), "two");
  EXPECT_EQ(text(ReadLine(f)), "");
  EXPECT_EQ(Eof(f), 0);
  EXPECT_EQ(text(ReadLine(f)), "last");
  EXPECT_EQ(Eof(f), 1);
}

TEST_F(Streams, ALineLongerThanSixteenMiBComesInPieces) {
  constexpr std::size_t kPiece = 16 << 20;
  std::string bytes(kPiece + 5, 'x');
  bytes[kPiece - 1] = '\r';  // dropped: the first piece takes one byte more of the file
  bytes += "\nnext\n";
  const std::int32_t f = readerOf(bytes);
  std::string piece = text(ReadLine(f));
  EXPECT_EQ(piece.size(), kPiece);
  EXPECT_EQ(piece.find('\r'), std::string::npos);
  EXPECT_EQ(text(ReadLine(f)), "xxxx");
  EXPECT_EQ(text(ReadLine(f)), "next");
  // A stream that never ends a line gives bounded pieces for ever.
  const std::int32_t zeros = ReadFile(str("/dev/zero"));
  ASSERT_NE(zeros, 0);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(text(ReadLine(zeros)), std::string(kPiece, '\0'));
}

TEST_F(Streams, ReadAvailCountsBufferedBytes) {
  const std::int32_t f = readerOf("0123456789");
  EXPECT_EQ(ReadAvail(f), 0);
  EXPECT_EQ(ReadByte(f), '0');
  EXPECT_EQ(ReadAvail(f), 9);
}

TEST_F(Streams, CopyStreamMovesEverythingInChunks) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7);
  const std::int32_t from = readerOf(data);
  putFile("dest.bin", std::string(1000, '.'));
  const std::int32_t to = OpenFile(str("dest.bin"));
  CopyStream(from, to, 3);
  CloseFile(to);
  EXPECT_EQ(getFile("dest.bin"), data);
}

TEST_F(Streams, CopyStreamIntoAStreamAtItsEndCopiesNothing) {
  const std::int32_t from = readerOf("payload");
  const std::string bytes = written([from](std::int32_t f) { CopyStream(from, f, 16384); });
  EXPECT_EQ(bytes, "");
}

TEST_F(Streams, CopyStreamBufferSize) {
  const std::int32_t from = readerOf("payload");
  putFile("dest.bin", "1234567");
  const std::int32_t to = OpenFile(str("dest.bin"));
  CopyStream(from, to, 0);
  CopyStream(from, to, -5);
  CopyStream(from, to, 1048577);
  EXPECT_EQ(FilePos(from), 0);
  expectError([&] { CopyStream(from, to, 0); }, "Illegal buffer size");
  expectError([&] { CopyStream(from, to, 1048577); }, "Illegal buffer size");
  CopyStream(from, to, 1048576);
  CloseFile(to);
  EXPECT_EQ(getFile("dest.bin"), "payload");
}

TEST_F(Streams, DeadHandlesAreHarmlessOutsideDebugMode) {
  const std::int32_t f = readerOf("x");
  CloseFile(f);
  EXPECT_EQ(stdlib::findStream(f), nullptr);
  for (std::int32_t dead : {f, 0, -1, 123456}) {
    EXPECT_EQ(Eof(dead), 1);
    EXPECT_EQ(ReadAvail(dead), 0);
    EXPECT_EQ(ReadInt(dead), 0);
    EXPECT_EQ(text(ReadString(dead)), "");
    EXPECT_EQ(text(ReadLine(dead)), "");
    WriteInt(dead, 1);
    WriteString(dead, str("s"));
    WriteLine(dead, str("l"));
    CopyStream(dead, dead, 10);
  }
}

TEST_F(Streams, DeadHandlesRaiseInDebugMode) {
  const std::int32_t f = readerOf("x");
  CloseFile(f);
  expectError([&] { Eof(f); }, "Stream does not exist");
  expectError([&] { ReadByte(f); }, "Stream does not exist");
  expectError([&] { WriteFloat(f, 1.0f); }, "Stream does not exist");
  expectError([&] { WriteLine(f, str("leak check")); }, "Stream does not exist");
  EXPECT_EQ(core::liveStringCount(), 0);
}

}  // namespace
}  // namespace korvo::cmd
