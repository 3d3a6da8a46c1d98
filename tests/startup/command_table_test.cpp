// The command table: registration texts and order, linker-facing names, identity lookup.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/command_table.h"
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

struct ModuleTexts {
  const char* module;
  std::vector<std::string> texts;
};

const std::vector<ModuleTexts> kExpected = {
#include "startup/registration_texts.inc"
};

// Records registrations per module by running each registration routine separately.
class Recorder : public Registrar {
 public:
  void add(const char* text, void*) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

using RegisterFn = void (*)(Registrar&);
const RegisterFn kRegistrations[] = {
    &registerRuntimeCommands,  &registerBasicCommands,   &registerMathCommands,       &registerStringCommands,
    &registerStreamCommands,   &registerSocketsCommands, &registerFilesystemCommands, &registerBankCommands,
    &registerGraphicsCommands, &registerInputCommands,   &registerAudioCommands,      &registerMultiplayCommands,
};

// What a module registers so far must be the expected list in order, skipping only what
// is not built yet; once complete, the lists are equal.
TEST(CommandTable, EachModuleRegistersItsTextsInOrder) {
  ASSERT_EQ(kExpected.size(), std::size(kRegistrations));
  std::size_t total = 0;
  for (std::size_t m = 0; m < kExpected.size(); ++m) {
    Recorder recorder;
    kRegistrations[m](recorder);
    const auto& expected = kExpected[m].texts;
    std::size_t at = 0;
    for (const std::string& text : recorder.texts) {
      while (at < expected.size() && expected[at] != text) ++at;
      ASSERT_LT(at, expected.size()) << kExpected[m].module << ": unexpected or out of order: " << text;
      ++at;
    }
    total += recorder.texts.size();
  }
  std::size_t all = 0;
  for (const auto& m : kExpected) all += m.texts.size();
  EXPECT_EQ(all, 341u);
  EXPECT_LE(total, 341u);
}

TEST(CommandTable, LinkerNamesFollowTheRules) {
  EXPECT_EQ(linkerName("%LoadSound$filename"), "_floadsound");
  EXPECT_EQ(linkerName("End"), "_fend");
  EXPECT_EQ(linkerName("#ATan2#floata#floatb"), "_fatan2");
  EXPECT_EQ(linkerName("#Log10#float"), "_flog10");
  EXPECT_EQ(linkerName("Write$string"), "_fwrite");
  EXPECT_EQ(linkerName("Print$string=\"\""), "_fprint");
  EXPECT_EQ(linkerName("$Input$prompt=\"\""), "_finput");
  EXPECT_EQ(linkerName("_kvStrConst"), "__kvStrConst");
}

TEST(CommandTable, EveryExpectedTextHasAUniqueLinkerName) {
  std::set<std::string> names;
  for (const auto& m : kExpected)
    for (const auto& text : m.texts) EXPECT_TRUE(names.insert(linkerName(text.c_str())).second) << text;
}

TEST(CommandTable, LookupIsByIdentityAndEnumerationStartsOver) {
  CommandTable table;
  std::vector<const char*> first;
  while (const char* name = table.nextSymbol()) {
    first.push_back(name);
    if (std::strcmp(name, "End") == 0) {
      EXPECT_NE(table.symbolAddress(name), -1);
      const std::string copy = name;
      EXPECT_EQ(table.symbolAddress(copy.c_str()), -1);
    }
  }
  ASSERT_FALSE(first.empty());
  EXPECT_STREQ(first.front(), "End");
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(table.symbolAddress(first.front()), -1);
  std::size_t again = 0;
  while (table.nextSymbol()) ++again;
  EXPECT_EQ(again, first.size());
}

}  // namespace
}  // namespace korvo
