// String commands: the documented examples, the parameter errors (which must not leak the
// argument), in-place results and byte-wise behaviour.
#include <climits>
#include <regex>

#include <gtest/gtest.h>

#include "core/kv_string.h"
#include "base/kv_ex.h"
#include "startup/runtime_modules.h"
#include "stdlib/string_commands.h"

namespace korvo::cmd {
namespace {

using core::newString;
using core::takeString;

class StringCommands : public ::testing::Test {
 protected:
  void SetUp() override { createBasicModule(); }
  void TearDown() override {
    EXPECT_EQ(core::liveStringCount(), 0) << "a command leaked or over-released a string";
    destroyBasicModule();
  }
  static KvString* s(std::string_view text) { return newString(text); }

  template <typename F>
  static void expectError(F&& f, const char* message) {
    try {
      KvString* leaked = f();
      core::kvStrRelease(leaked);
      ADD_FAILURE() << "no error, expected: " << message;
    } catch (const KvEx& e) {
      EXPECT_STREQ(e.message, message);
    }
  }
};

TEST_F(StringCommands, MidTakesFromOneBasedStart) {
  EXPECT_EQ(takeString(Mid(s("abcdef"), 3, -1)), "cdef");
  EXPECT_EQ(takeString(Mid(s("abcdef"), 3, 2)), "cd");
  EXPECT_EQ(takeString(Mid(s("abcdef"), 10, -1)), "");
  EXPECT_EQ(takeString(Mid(s("abcdef"), 6, 5)), "f");
  expectError([] { return Mid(s("abc"), 0, 1); }, "parameter must be greater than 0");
}

TEST_F(StringCommands, InstrFindsFromAPosition) {
  EXPECT_EQ(Instr(s("abcabc"), s("c"), 1), 3);
  EXPECT_EQ(Instr(s("abcabc"), s("c"), 4), 6);
  EXPECT_EQ(Instr(s("abcabc"), s("c"), 7), 0);
  EXPECT_EQ(Instr(s("abc"), s(""), 4), 4);
  EXPECT_EQ(Instr(s("abc"), s(""), 5), 0);
  EXPECT_EQ(Instr(s("abc"), s("x"), 1), 0);
  try {
    Instr(s("abc"), s("a"), 0);
    ADD_FAILURE();
  } catch (const KvEx& e) {
    EXPECT_STREQ(e.message, "parameter must be greater than 0");
  }
}

TEST_F(StringCommands, LeftRightAndPadding) {
  EXPECT_EQ(takeString(Left(s("abc"), 2)), "ab");
  EXPECT_EQ(takeString(Left(s("abc"), 5)), "abc");
  EXPECT_EQ(takeString(Right(s("abc"), 5)), "abc");
  EXPECT_EQ(takeString(Right(s("abc"), 2)), "bc");
  EXPECT_EQ(takeString(Right(s("abc"), 0)), "");
  EXPECT_EQ(takeString(LSet(s("abc"), 5)), "abc  ");
  EXPECT_EQ(takeString(LSet(s("abcdef"), 3)), "abc");
  EXPECT_EQ(takeString(RSet(s("abcdef"), 3)), "def");
  EXPECT_EQ(takeString(RSet(s("ab"), 4)), "  ab");
  for (auto* f : {&Left, &Right, &LSet, &RSet}) {
    expectError([f] { return f(s("abc"), -1); }, "parameter must be positive");
  }
}

TEST_F(StringCommands, TransformsReturnTheArgumentItself) {
  KvString* arg = s("Hello");
  KvString* out = Upper(arg);
  EXPECT_EQ(out, arg);
  EXPECT_EQ(takeString(out), "HELLO");
  EXPECT_EQ(takeString(Lower(s("MiXeD 1!"))), "mixed 1!");
  EXPECT_EQ(takeString(Upper(s("\xe9"))), "\xe9");
}

TEST_F(StringCommands, ReplaceDoesNotRescanInsertedText) {
  EXPECT_EQ(takeString(Replace(s("aaa"), s("a"), s("aa"))), "aaaaaa");
  EXPECT_EQ(takeString(Replace(s("a.b.c"), s("."), s(""))), "abc");
  EXPECT_EQ(takeString(Replace(s("abcabc"), s("bc"), s("X"))), "aXaX");
  EXPECT_EQ(takeString(Replace(s("abc"), s(""), s("x"))), "abc");
}

TEST_F(StringCommands, TrimStripsInvisibleBytesAtTheEndsOnly) {
  EXPECT_EQ(takeString(Trim(s("\t  a b\t c \r\n"))), "a b\t c");
  EXPECT_EQ(takeString(Trim(s(" \t "))), "");
  EXPECT_EQ(takeString(Trim(s(std::string("\0x\0", 3)))), "x");
}

TEST_F(StringCommands, StringRepeats) {
  EXPECT_EQ(takeString(String(s("ab"), 3)), "ababab");
  EXPECT_EQ(takeString(String(s("abc"), 7)), "abcabcabcabcabcabcabc");
  EXPECT_EQ(takeString(String(s("ab"), 0)), "");
  EXPECT_EQ(takeString(String(s("ab"), -4)), "");
  EXPECT_EQ(takeString(String(s(""), 1000)), "");
}

// A string's length must fit the int Len returns: what would be longer is refused before
// any of it is built.
TEST_F(StringCommands, TextsLongerThanAnIntCanCountAreRefused) {
  expectError([] { return String(s("ab"), 1 << 30); }, kOutOfMemory);
  expectError([] { return String(s("abcdefgh"), INT32_MAX); }, kOutOfMemory);
  KvString* line = String(s("x"), 1 << 20);
  EXPECT_EQ(Len(core::kvStrLoad(&line)), 1 << 20);
  // 4096 matches, each growing by a MiB less one byte: 4 GiB.
  expectError([&] { return Replace(String(s("a"), 4096), s("a"), core::kvStrLoad(&line)); }, kOutOfMemory);
  core::kvStrRelease(line);
}

TEST_F(StringCommands, BytesAndCodes) {
  EXPECT_EQ(takeString(Chr(0)), std::string(1, '\0'));
  EXPECT_EQ(takeString(Chr(0x141)), "A");
  EXPECT_EQ(Asc(s("")), -1);
  EXPECT_EQ(Asc(s("\xc8")), 200);
  EXPECT_EQ(Len(s(std::string("a\0b", 3))), 3);
  EXPECT_EQ(Len(nullptr), 0);
}

TEST_F(StringCommands, HexAndBinKeepEveryDigit) {
  EXPECT_EQ(takeString(Hex(-1)), "FFFFFFFF");
  EXPECT_EQ(takeString(Hex(255)), "000000FF");
  EXPECT_EQ(takeString(Hex(0x1234abcd)), "1234ABCD");
  EXPECT_EQ(takeString(Bin(5)), std::string(29, '0') + "101");
  EXPECT_EQ(takeString(Bin(INT32_MIN)), "1" + std::string(31, '0'));
}

TEST_F(StringCommands, DateAndTimeFormats) {
  EXPECT_TRUE(std::regex_match(takeString(CurrentDate()), std::regex(R"(\d\d [A-Z][a-z][a-z] \d{4})")));
  EXPECT_TRUE(std::regex_match(takeString(CurrentTime()), std::regex(R"(\d\d:\d\d:\d\d)")));
}

}  // namespace
}  // namespace korvo::cmd
