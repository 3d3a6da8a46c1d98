// Banks: capacities and growth, little-endian values at any offset, overlapping copies,
// range checks in and out of debug mode, stream transfers and CallDLL.
#include <climits>

#include "stdlib/bank.h"
#include "stdlib/bank_commands.h"
#include "stdlib/filesystem_commands.h"
#include "stdlib/stream_commands.h"
#include "stdlib_fixture.h"

namespace korvo::cmd {
namespace {

using stdlib::kvBank;

class Banks : public testing::StdlibTest {
 protected:
  std::int32_t bankOf(std::initializer_list<int> bytes) {
    const std::int32_t b = CreateBank(static_cast<std::int32_t>(bytes.size()));
    std::int32_t i = 0;
    for (int v : bytes) PokeByte(b, i++, v);
    return b;
  }
  std::vector<int> bytesOf(std::int32_t b) {
    std::vector<int> out;
    for (std::int32_t i = 0; i < BankSize(b); ++i) out.push_back(PeekByte(b, i));
    return out;
  }
};

TEST(BankMemory, CapacityIsSizeRoundedToSixteen) {
  EXPECT_EQ(kvBank::create(0)->capacity, 0);
  EXPECT_EQ(kvBank::create(1)->capacity, 16);
  EXPECT_EQ(kvBank::create(16)->capacity, 16);
  EXPECT_EQ(kvBank::create(-1), nullptr);
}

TEST(BankMemory, GrowthByHalfRoundedToSixteen) {
  auto bank = kvBank::create(16);
  ASSERT_TRUE(bank->resize(17));
  EXPECT_EQ(bank->capacity, 32);
  bank = kvBank::create(16);
  ASSERT_TRUE(bank->resize(100));
  EXPECT_EQ(bank->capacity, 112);
  ASSERT_TRUE(bank->resize(10));
  EXPECT_EQ(bank->capacity, 112);
  EXPECT_EQ(bank->size, 10);
  EXPECT_FALSE(bank->resize(-1));
  EXPECT_EQ(bank->size, 10);
  EXPECT_FALSE(bank->resize(INT_MAX));
  EXPECT_EQ(bank->size, 10);
}

TEST_F(Banks, NewBanksAreZeroAndResizingKeepsContents) {
  const std::int32_t b = CreateBank(16);
  EXPECT_EQ(bytesOf(b), std::vector<int>(16, 0));
  for (int i = 0; i < 16; ++i) PokeByte(b, i, i + 1);
  ResizeBank(b, 4);
  ResizeBank(b, 10);
  EXPECT_EQ(bytesOf(b), (std::vector<int>{1, 2, 3, 4, 0, 0, 0, 0, 0, 0}));
  ResizeBank(b, 1000);
  EXPECT_EQ(BankSize(b), 1000);
  EXPECT_EQ(PeekInt(b, 0), 0x04030201);
  EXPECT_EQ(PeekByte(b, 999), 0);
  ResizeBank(b, -5);
  EXPECT_EQ(BankSize(b), 1000);
}

TEST_F(Banks, ValuesAreLittleEndianAtAnyOffset) {
  const std::int32_t b = CreateBank(9);
  PokeInt(b, 0, 258);
  EXPECT_EQ(PeekByte(b, 0), 2);
  EXPECT_EQ(PeekByte(b, 1), 1);
  PokeShort(b, 3, 0x1ffff);
  EXPECT_EQ(PeekShort(b, 3), 65535);
  EXPECT_EQ(PeekByte(b, 5), 0);
  PokeInt(b, 5, -2);
  EXPECT_EQ(PeekInt(b, 5), -2);
  PokeFloat(b, 1, -0.375f);
  EXPECT_EQ(PeekFloat(b, 1), -0.375f);
  EXPECT_EQ(PeekInt(b, 1), static_cast<std::int32_t>(0xbec00000));
  PokeByte(b, 8, 0x1234);
  EXPECT_EQ(PeekByte(b, 8), 0x34);
}

TEST_F(Banks, CopiesOverlapAsIfThroughABuffer) {
  const std::int32_t b = bankOf({1, 2, 3, 4});
  CopyBank(b, 0, b, 1, 3);
  EXPECT_EQ(bytesOf(b), (std::vector<int>{1, 1, 2, 3}));
  CopyBank(b, 1, b, 0, 3);
  EXPECT_EQ(bytesOf(b), (std::vector<int>{1, 2, 3, 3}));
  const std::int32_t other = CreateBank(2);
  CopyBank(b, 2, other, 0, 2);
  EXPECT_EQ(bytesOf(other), (std::vector<int>{3, 3}));
  CopyBank(b, 0, other, 0, 0);
}

TEST_F(Banks, EdgesInDebugMode) {
  const std::int32_t b = CreateBank(8);
  expectError([&] { PeekInt(b, 8 - 3); }, "Offset out of range");
  setDebugMode(true);
  EXPECT_EQ(PeekInt(b, 8 - 4), 0);
  EXPECT_EQ(PeekByte(b, 7), 0);
  setDebugMode(false);
  expectError([&] { PeekByte(b, 8); }, "Offset out of range");
  expectError([&] { PokeShort(b, -1, 0); }, "Offset out of range");
  expectError([&] { CopyBank(b, 4, b, 0, 5); }, "Offset out of range");
  expectError([&] { CopyBank(b, 0, b, 0, -1); }, "Offset out of range");
  expectError([&] { CopyBank(b, INT_MAX, b, 0, 2); }, "Offset out of range");
  FreeBank(b);
  FreeBank(b);
  expectError([&] { BankSize(b); }, "kvBank does not exist");
  expectError([&] { PokeInt(b, 0, 1); }, "kvBank does not exist");
}

TEST_F(Banks, OutsideDebugModeNothingLeavesTheBank) {
  const std::int32_t b = bankOf({9, 9, 9, 9});
  const std::int32_t neighbour = bankOf({7, 7, 7, 7});
  PokeInt(b, 1, -1);
  PokeShort(b, 3, -1);
  PokeByte(b, -1, 0);
  PokeFloat(b, INT_MAX - 1, 1.0f);
  CopyBank(neighbour, 0, b, 2, 3);
  CopyBank(neighbour, 3, b, 0, 2);
  EXPECT_EQ(bytesOf(b), (std::vector<int>{9, 9, 9, 9}));
  EXPECT_EQ(bytesOf(neighbour), (std::vector<int>{7, 7, 7, 7}));
  EXPECT_EQ(PeekInt(b, 1), 0);
  EXPECT_EQ(PeekShort(b, 4), 0);
  EXPECT_EQ(PeekFloat(b, -4), 0.0f);
  FreeBank(b);
  EXPECT_EQ(BankSize(b), 0);
  EXPECT_EQ(PeekByte(b, 0), 0);
  PokeByte(b, 0, 1);
  ResizeBank(b, 100);
  EXPECT_EQ(BankSize(b), 0);
}

TEST_F(Banks, BytesToAndFromStreams) {
  const std::int32_t b = bankOf({'a', 'b', 'c', 'd', 'e'});
  const std::int32_t w = WriteFile(str("bank.bin"));
  EXPECT_EQ(WriteBytes(b, w, 1, 3), 3);
  EXPECT_EQ(WriteBytes(b, w, 3, 3), 0);
  EXPECT_EQ(WriteBytes(b, 0, 0, 1), 0);
  CloseFile(w);
  EXPECT_EQ(getFile("bank.bin"), "bcd");
  const std::int32_t r = ReadFile(str("bank.bin"));
  const std::int32_t into = CreateBank(5);
  EXPECT_EQ(ReadBytes(into, r, 1, 4), 3);
  EXPECT_EQ(bytesOf(into), (std::vector<int>{0, 'b', 'c', 'd', 0}));
  expectError([&] { ReadBytes(into, r, 2, 4); }, "Offset out of range");
  expectError([&] { ReadBytes(into, w, 0, 1); }, "Stream does not exist");
  expectError([&] { WriteBytes(12345, r, 0, 1); }, "kvBank does not exist");
}

TEST_F(Banks, ModuleDestroyFreesEveryBankAndHandlesAreNotReused) {
  const std::int32_t a = CreateBank(4);
  const std::int32_t b = CreateBank(0);
  EXPECT_NE(a, 0);
  EXPECT_NE(b, 0);
  EXPECT_EQ(stdlib::liveBankCount(), 2u);
  destroyBankModule();
  EXPECT_EQ(stdlib::liveBankCount(), 0u);
  EXPECT_GT(CreateBank(1), b);
  EXPECT_EQ(CreateBank(-3), 0);
}

TEST_F(Banks, CallDllPassesBanksToTheLibrary) {
  const std::int32_t in = bankOf({1, 2, 3, 250});
  const std::int32_t out = CreateBank(8);
  EXPECT_EQ(CallDLL(str(KORVO_CALL_FIXTURE), str("sumBytes"), in, out), 4008);
  EXPECT_EQ(PeekInt(out, 0), 256);
  EXPECT_EQ(CallDLL(str(KORVO_CALL_FIXTURE), str("nullBanks"), 0, 0), 77);
  EXPECT_EQ(CallDLL(str(KORVO_CALL_FIXTURE), str("noSuchFunction"), in, out), 0);
  EXPECT_EQ(CallDLL(str("/no/such/library.so"), str("sumBytes"), in, out), 0);
  FreeBank(in);
  EXPECT_EQ(CallDLL(str(KORVO_CALL_FIXTURE), str("nullBanks"), in, 0), 0);
  expectError([&] { CallDLL(str(KORVO_CALL_FIXTURE), str("sumBytes"), in, out); }, "kvBank does not exist");
  EXPECT_EQ(core::liveStringCount(), 0);
}

}  // namespace
}  // namespace korvo::cmd
