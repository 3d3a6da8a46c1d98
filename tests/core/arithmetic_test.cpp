// The integer and float helpers: signs of remainders, the zero divisor, the smallest int.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/kv_data.h"
#include "core/test_types.h"

namespace korvo::core {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(Arithmetic, IntegerHelpers) {
  EXPECT_EQ(kvAbs(-5), 5);
  EXPECT_EQ(kvAbs(kMin), kMin);
  EXPECT_EQ(kvSgn(-9), -1);
  EXPECT_EQ(kvSgn(0), 0);
  EXPECT_EQ(kvSgn(kMin), -1);
  EXPECT_EQ(kvMod(-7, 3), -1);
  EXPECT_EQ(kvMod(7, -3), 1);
  EXPECT_EQ(kvMod(kMin, -1), 0);
  EXPECT_EQ(kvMod(kMin, 7), kMin % 7);
}

TEST(Arithmetic, ModByZeroIsARuntimeError) {
  EXPECT_EQ(testing::errorOf([] { kvMod(5, 0); }), "Integer divide by zero");
}

TEST(Arithmetic, FloatHelpers) {
  EXPECT_EQ(kvFMod(-7.0f, 3.0f), -1.0f);
  EXPECT_EQ(kvFMod(7.5f, -2.0f), 1.5f);
  EXPECT_TRUE(std::isnan(kvFMod(1.0f, 0.0f)));
  EXPECT_EQ(kvFSgn(-0.0f), 0.0f);
  EXPECT_FALSE(std::signbit(kvFSgn(-0.0f)));
  EXPECT_EQ(kvFSgn(-3.5f), -1.0f);
  EXPECT_EQ(kvFSgn(1e-30f), 1.0f);
  EXPECT_EQ(kvFAbs(-2.5f), 2.5f);
  EXPECT_EQ(kvFPow(2.0f, 10.0f), 1024.0f);
  EXPECT_EQ(kvFPow(10.0f, -2.0f), 0.01f);
  EXPECT_TRUE(std::isnan(kvFPow(-8.0f, 0.5f)));
}

}  // namespace
}  // namespace korvo::core
