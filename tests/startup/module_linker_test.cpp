// The image reader and the linker on images built byte by byte: malformed input, the
// symbol range, lookup order, additive patches, and thunks for far runtime routines.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "startup/module_image.h"
#include "startup/module_linker.h"
#include "startup/runtime_interface.h"

namespace korvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

void putEntry(Bytes& b, const char* name, std::int32_t offset) {
  b.insert(b.end(), name, name + std::strlen(name) + 1);
  put32(b, offset);
}

std::int32_t field(const std::uint8_t* code, std::size_t at) {
  std::int32_t v;
  std::memcpy(&v, code + at, 4);
  return v;
}

ModuleImage image(Bytes code, std::vector<ImageEntry> symbols = {}, std::vector<ImageEntry> relatives = {},
                  std::vector<ImageEntry> absolutes = {}) {
  return {std::move(code), std::move(symbols), std::move(relatives), std::move(absolutes)};
}

LinkResult link(const ModuleImage& img, const SymbolMap& runtime = {}) {
  return linkModule(writeModuleImage(img), runtime);
}

void expectUnableToRun(const LinkResult& r) {
  ASSERT_FALSE(r.module);
  EXPECT_EQ(r.failure.message, "Unable to run Korvo Basic module");
  EXPECT_EQ(r.failure.exitCode, -1);
}

TEST(ModuleImage, EveryTruncationIsRejected) {
  const Bytes full = writeModuleImage(image(Bytes(8, 0x90), {{"__MAIN", 0}, {"_fx", 4}}, {{"_fx", 1}}, {{"_fx", 4}}));
  ASSERT_TRUE(readModuleImage(full));
  for (std::size_t n = 0; n < full.size(); ++n) {
    EXPECT_FALSE(readModuleImage(std::span(full.data(), n))) << "prefix of " << n << " bytes";
    expectUnableToRun(linkModule(std::span(full.data(), n), {}));
  }
}

TEST(ModuleImage, NameWithoutTerminatorIsRejected) {
  Bytes b;
  put32(b, 1);
  b.push_back(0xC3);
  put32(b, 1);
  b.insert(b.end(), {'_', 'f', 'x'});
  EXPECT_FALSE(readModuleImage(b));
}

TEST(ModuleImage, NegativeCountsMeanNoEntries) {
  Bytes b;
  put32(b, 1);
  b.push_back(0xC3);
  put32(b, -5);
  put32(b, -1);
  put32(b, INT32_MIN);
  const auto img = readModuleImage(b);
  ASSERT_TRUE(img);
  EXPECT_TRUE(img->symbols.empty() && img->relatives.empty() && img->absolutes.empty());
}

TEST(ModuleImage, ImpossibleCountsAndEmptyCodeAreRejected) {
  Bytes huge;
  put32(huge, 1);
  huge.push_back(0xC3);
  put32(huge, INT32_MAX);
  putEntry(huge, "__MAIN", 0);
  EXPECT_FALSE(readModuleImage(huge));
  Bytes empty;
  for (int i = 0; i < 4; ++i) put32(empty, 0);
  EXPECT_FALSE(readModuleImage(empty));
  Bytes negative;
  put32(negative, -4);
  EXPECT_FALSE(readModuleImage(negative));
}

TEST(ModuleImage, PatchFieldsMustLieWhollyInsideTheCode) {
  const SymbolMap runtime = {{"_fx", 0x1000}};
  EXPECT_TRUE(link(image(Bytes(8, 0), {}, {{"_fx", 4}}), runtime).module);
  expectUnableToRun(link(image(Bytes(8, 0), {}, {{"_fx", 5}}), runtime));
  expectUnableToRun(link(image(Bytes(8, 0), {}, {}, {{"_fx", -1}}), runtime));
  expectUnableToRun(link(image(Bytes(8, 0), {}, {}, {{"_fx", 7}}), runtime));
}

TEST(Linker, ModuleWithoutTablesRunsFromOffsetZero) {
  // mov eax, 42; ret
  const LinkResult r = link(image({0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3}));
  ASSERT_TRUE(r.module);
  EXPECT_TRUE(platform::isLow(r.module->codeBase(), 6));
  EXPECT_EQ(reinterpret_cast<int (*)()>(r.module->codeBase())(), 42);
}

TEST(Linker, SymbolAtLastByteIsAcceptedAndPastTheEndIsFatal) {
  EXPECT_TRUE(link(image(Bytes(8, 0), {{"_fend_of_code", 7}})).module);
  expectUnableToRun(link(image(Bytes(8, 0), {{"_fend_of_code", 8}})));
  expectUnableToRun(link(image(Bytes(8, 0), {{"_fneg", -1}})));
}

TEST(Linker, UnknownSymbolNamesItselfAndExitsWithOne) {
  const LinkResult r = link(image(Bytes(8, 0), {}, {{"_fnothere", 0}}), {{"_fhere", 0x1000}});
  ASSERT_FALSE(r.module);
  EXPECT_EQ(r.failure.message, "Can't find symbol: _fnothere");
  EXPECT_EQ(r.failure.exitCode, 1);
}

TEST(Linker, ModuleDefinitionWinsOverTheRuntime) {
  const LinkResult r = link(image(Bytes(24, 0), {{"_fcls", 16}}, {}, {{"_fcls", 0}}), {{"_fcls", 0x1000}});
  ASSERT_TRUE(r.module);
  const auto base = reinterpret_cast<std::uintptr_t>(r.module->codeBase());
  EXPECT_EQ(static_cast<std::uint32_t>(field(r.module->codeBase(), 0)), base + 16);
}

TEST(Linker, PatchesAddToWhatTheFieldHolds) {
  Bytes code(32, 0);
  code[0] = 8;     // absolute field holding an addend of 8
  code[8] = 0xE8;  // call rel32 with the compiler's -4
  code[9] = 0xFC, code[10] = 0xFF, code[11] = 0xFF, code[12] = 0xFF;
  const LinkResult r = link(image(code, {{"_ftarget", 24}}, {{"_ftarget", 9}}, {{"_ftarget", 0}}));
  ASSERT_TRUE(r.module);
  const auto base = reinterpret_cast<std::uintptr_t>(r.module->codeBase());
  EXPECT_EQ(static_cast<std::uint32_t>(field(r.module->codeBase(), 0)), base + 24 + 8);
  EXPECT_EQ(field(r.module->codeBase(), 9), 24 - 13);  // from the end of the call to the target
}

TEST(Linker, RuntimeTargetsWithinReachArePatchedDirectly) {
  Bytes code(16, 0);
  put32(code, -4);  // relative field at 16
  put32(code, 0);   // absolute field at 20
  const LinkResult r = link(image(code, {}, {{"_fnear", 16}}, {{"_fnear", 20}}), {{"_fnear", 0x1000}});
  ASSERT_TRUE(r.module);
  const auto base = reinterpret_cast<std::intptr_t>(r.module->codeBase());
  EXPECT_EQ(field(r.module->codeBase(), 16), static_cast<std::int32_t>(0x1000 - (base + 20)));
  EXPECT_EQ(field(r.module->codeBase(), 20), 0x1000);
}

TEST(Linker, FarRuntimeRoutinesAreReachedThroughOneThunk) {
  const std::uintptr_t far = 0x7f1234567000;
  Bytes code(16, 0);
  put32(code, -4);  // relative field at 16
  put32(code, -4);  // another at 20
  put32(code, 0);   // absolute field at 24
  const LinkResult r = link(image(code, {}, {{"_ffar", 16}, {"_ffar", 20}}, {{"_ffar", 24}}), {{"_ffar", far}});
  ASSERT_TRUE(r.module);
  std::uint8_t* base = r.module->codeBase();
  const std::uint8_t* thunk = base + 20 + field(base, 16);
  EXPECT_EQ(base + 24 + field(base, 20), thunk);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(thunk), static_cast<std::uint32_t>(field(base, 24)));
  EXPECT_GE(thunk, base + 28);
  const std::uint8_t jump[] = {0xFF, 0x25, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(thunk, jump, sizeof jump), 0);
  std::uintptr_t target;
  std::memcpy(&target, thunk + 6, 8);
  EXPECT_EQ(target, far);
}

TEST(Linker, RuntimeMapUsesLinkerNamesAndKeepsDataLow) {
  const SymbolMap runtime = buildRuntimeMap(*runtimeGetRuntime());
  ASSERT_TRUE(runtime.count("__kvStrConst"));
  EXPECT_FALSE(runtime.count("_kvStrConst"));
  EXPECT_TRUE(runtime.count("_fend"));
  const char* records[] = {"__kvIntType", "__kvFltType", "__kvStrType", "__kvCStrType"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(runtime.count(records[i])) << records[i];
    const auto* record = reinterpret_cast<const std::int32_t*>(runtime.at(records[i]));
    EXPECT_TRUE(platform::isLow(record, 4)) << records[i];
    EXPECT_EQ(*record, i + 1);
  }
  const LinkResult r = link(image(Bytes(8, 0), {}, {{"_kvStrConst", 0}}), runtime);
  ASSERT_FALSE(r.module);
  EXPECT_EQ(r.failure.message, "Can't find symbol: _kvStrConst");
}

}  // namespace
}  // namespace korvo
