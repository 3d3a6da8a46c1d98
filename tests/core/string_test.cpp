// Strings: the pool and its counter, ownership, comparison, conversions and the float text.
#include <climits>

#include <gtest/gtest.h>

#include "base/kv_ex.h"
#include "core/kv_string.h"
#include "startup/runtime_modules.h"

namespace korvo::core {
namespace {

class Strings : public ::testing::Test {
 protected:
  void SetUp() override { createBasicModule(); }
  void TearDown() override { destroyBasicModule(); }
};

TEST_F(Strings, LoadOfNullIsANewEmptyString) {
  KvString* variable = nullptr;
  KvString* s = kvStrLoad(&variable);
  EXPECT_EQ(viewString(s), "");
  EXPECT_EQ(liveStringCount(), 1);
  kvStrRelease(s);
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Strings, StoreReleasesTheOldValue) {
  KvString* variable = kvStrConst("old");
  KvString* copy = kvStrLoad(&variable);
  EXPECT_EQ(liveStringCount(), 2);
  kvStrStore(&variable, copy);
  EXPECT_EQ(liveStringCount(), 1);
  EXPECT_EQ(viewString(variable), "old");
  kvStrRelease(variable);
}

TEST_F(Strings, ComparisonIsUnsignedBytewise) {
  EXPECT_LT(kvStrCompare(kvStrConst("abc"), kvStrConst("abd")), 0);
  EXPECT_LT(kvStrCompare(kvStrConst("ab"), kvStrConst("abc")), 0);
  EXPECT_GT(kvStrCompare(kvStrConst("\x80"), kvStrConst("z")), 0);
  EXPECT_EQ(kvStrCompare(kvStrConst("same"), kvStrConst("same")), 0);
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Strings, ConcatAppendsInPlace) {
  KvString* a = kvStrConst("foo");
  KvString* r = kvStrConcat(a, kvStrConst("bar"));
  EXPECT_EQ(r, a);
  EXPECT_EQ(viewString(r), "foobar");
  EXPECT_EQ(liveStringCount(), 1);
  kvStrRelease(r);
  // Null reads as the empty string on either side, and the result is never null.
  EXPECT_EQ(takeString(kvStrConcat(nullptr, kvStrConst("tail"))), "tail");
  EXPECT_EQ(takeString(kvStrConcat(kvStrConst("head"), nullptr)), "head");
  KvString* empty = kvStrConcat(nullptr, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(takeString(empty), "");
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Strings, ConcatRefusesAResultLongerThanAnIntCanCount) {
  KvString* half = newString(std::string(std::size_t{1} << 30, 'h'));
  try {
    kvStrConcat(half, kvStrLoad(&half));
    ADD_FAILURE() << "two GiB were joined";
  } catch (const KvEx& e) {
    EXPECT_STREQ(e.message, kOutOfMemory);
  }
  EXPECT_EQ(liveStringCount(), 0) << "both arguments are released";
}

TEST_F(Strings, NumberConversions) {
  EXPECT_EQ(kvStrToInt(kvStrConst("12abc")), 12);
  EXPECT_EQ(kvStrToInt(kvStrConst("  -7")), -7);
  EXPECT_EQ(kvStrToInt(kvStrConst("abc")), 0);
  EXPECT_EQ(kvStrToFloat(kvStrConst("1e3")), 1000.0f);
  EXPECT_EQ(takeString(kvStrFromInt(INT_MIN)), "-2147483648");
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Strings, FloatTextFormat) {
  const std::pair<float, const char*> cases[] = {
      {1.5f, "1.5"},
      {0.1f, "0.1"},
      {100.0f, "100.0"},
      {0.001f, "0.001"},
      {123456.7f, "123457.0"},
      {1234567.0f, "1234570.0"},
      {0.0f, "0.0"},
      {-2.25f, "-2.25"},
      {1.0f / 3.0f, "0.333333"},
      {100000.0f, "100000.0"},
      {99999999.0f, "1.e+008"},
      {100000000.0f, "1.e+008"},
      {123456789.0f, "1.23457e+008"},
      {0.00005f, "5.e-005"},
      {0.0009f, "9.e-004"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(floatText(value), text) << value;
  EXPECT_EQ(floatText(std::numeric_limits<float>::quiet_NaN()), "NaN");
  EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), "Infinity");
  EXPECT_EQ(floatText(-std::numeric_limits<float>::infinity()), "-Infinity");
}

TEST_F(Strings, PoolReusesObjectsFirstInFirstOut) {
  KvString* a = kvStrConst("a");
  KvString* b = kvStrConst("b");
  kvStrRelease(a);
  kvStrRelease(b);
  // Released objects go to the back of the free list, behind the rest of the block.
  std::vector<KvString*> taken;
  for (int i = 0; i < 510; ++i) taken.push_back(kvStrConst(""));
  EXPECT_EQ(kvStrConst("x"), a);
  EXPECT_EQ(kvStrConst("y"), b);
}

}  // namespace
}  // namespace korvo::core
