// The C++ face of the SDK (korvo.hpp) as a program uses it: commands under their own names
// with the table's defaults, korvo::String owning its references (no string left behind
// after copies, moves, concatenations and comparisons), and the language's arrays, user
// types and data statements as globals that need no static constructors.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "startup/program_builder.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

std::unique_ptr<testing::Program> load(const std::string& source) {
  std::string error;
  const auto image = testing::buildProgram(source, &error, testing::Language::kCpp);
  EXPECT_TRUE(image) << error;
  if (!image) return nullptr;
  auto program = std::make_unique<testing::Program>(*image);
  EXPECT_TRUE(program->linked()) << program->failure().message;
  return program->linked() ? std::move(program) : nullptr;
}

constexpr char kStringsProgram[] = R"(
#include "korvo.hpp"
using namespace korvo;

extern "C" int32_t mid_ok, instr_ok, concat_ok, compare_ok, to_int, copies_ok, moved_ok, var_ok;
int32_t mid_ok, instr_ok, concat_ok, compare_ok, to_int, copies_ok, moved_ok, var_ok;
StringVar kept;

static String shout(String s) { return Upper(s) + "!"; }

extern "C" void __MAIN(void) {
  RuntimeStats();
  {
    String hello = "Hello World";
    mid_ok = Mid(hello, 7) == "World";             // count defaults to -1
    instr_ok = Instr("banana", "na");              // from defaults to 1
    String line = String("Score : ") + 1200 + " / " + 2.5f;
    concat_ok = line == "Score : 1200 / 2.5";
    compare_ok = (String("abc") < String("abd")) && (String("ab") < "abc") && !(hello != hello);
    to_int = String("12abc").toInt() + String(" -7").toInt();
    String copy = hello;
    copy += copy;
    copies_ok = copy == "Hello WorldHello World" && hello == "Hello World" && shout(hello) == "HELLO WORLD!";
    String moved = static_cast<String&&>(copy);
    moved_ok = moved == "Hello WorldHello World";
    String assigned;
    assigned = moved;
    assigned = assigned;
    kept = Left(assigned, 5);
    var_ok = kept.get() == "Hello";
  }
  RuntimeStats();
}
)";

TEST(CxxFace, StringsOwnTheirReferencesAndCommandsTakeDefaults) {
  auto program = load(kStringsProgram);
  ASSERT_TRUE(program);
  testing::RecordingHooks hooks;
  ASSERT_EQ(runOnModules(program->main(), "", &hooks, runtimeModules()), nullptr);
  EXPECT_EQ(program->int32("mid_ok"), 1);
  EXPECT_EQ(program->int32("instr_ok"), 3);
  EXPECT_EQ(program->int32("concat_ok"), 1);
  EXPECT_EQ(program->int32("compare_ok"), 1);
  EXPECT_EQ(program->int32("to_int"), 5);
  EXPECT_EQ(program->int32("copies_ok"), 1);
  EXPECT_EQ(program->int32("moved_ok"), 1);
  EXPECT_EQ(program->int32("var_ok"), 1);
  ASSERT_EQ(hooks.logs.size(), 6u);
  EXPECT_EQ(hooks.logs[0], "Active strings :0");
  EXPECT_EQ(hooks.logs[3], "Active strings :1");  // only the global variable's
}

constexpr char kLanguageProgram[] = R"(
#include "korvo.hpp"
using namespace korvo;

extern "C" int32_t cell, names_ok, walked, live_after, first_last, data_ok;
int32_t cell, names_ok, walked, live_after, first_last, data_ok;
Array<int32_t, 2> grid;
Array<String, 1> names;
ObjectType<2> thing{__kvIntType, __kvStrType};
extern "C" const KvDataEntry __DATA[] = {Datum(7), Datum("three"), Datum(2.5f), DataEnd()};

extern "C" void __MAIN(void) {
  grid.dim(3, 2);
  grid(3, 2) = 99;
  grid(0, 0) = 1;
  cell = grid(3, 2) + grid(0, 0);
  names.dim(4);
  for (int i = 0; i <= 4; ++i) names(i) = String(i * 2);
  names(1) = names(4);
  names_ok = names(1).get() == "8" && names(4).get() == "8" && names(0).get() == "0";
  names.undim();

  for (int i = 1; i <= 3; ++i) {
    KvObj* o = New(thing);
    o->fields[0].i = i * 10;
    StringRef(&o->fields[1].s) = String("thing ") + i;
  }
  for (KvObj* o : Each(thing)) {
    walked += o->fields[0].i;
    if (o->fields[0].i == 20) Delete(o);
  }
  for (KvObj* o : Each(thing)) {
    ++live_after;
    if (o) break;  // leaving early releases the loop's reference
  }
  first_last = First(thing)->fields[0].i * 100 + Last(thing)->fields[0].i + (After(First(thing)) == Last(thing));
  DeleteEach(thing);

  Restore(__DATA);
  data_ok = DataInt() == 7 && DataString() == "three" && DataFloat() == 2.5f;
  RuntimeStats();
}
)";

TEST(CxxFace, ArraysTypesAndDataAreConstantGlobals) {
  auto program = load(kLanguageProgram);
  ASSERT_TRUE(program);
  testing::RecordingHooks hooks;
  ASSERT_EQ(runOnModules(program->main(), "", &hooks, runtimeModules()), nullptr);
  EXPECT_EQ(program->int32("cell"), 100);
  EXPECT_EQ(program->int32("names_ok"), 1);
  EXPECT_EQ(program->int32("walked"), 60);
  EXPECT_EQ(program->int32("live_after"), 1);
  EXPECT_EQ(program->int32("first_last"), 1031);
  EXPECT_EQ(program->int32("data_ok"), 1);
  ASSERT_EQ(hooks.logs.size(), 3u);
  EXPECT_EQ(hooks.logs[0], "Active strings :0");
}

TEST(CxxFace, SubscriptsOutsideTheBoundsAreRuntimeErrors) {
  auto program = load(R"(
    #include "korvo.hpp"
    korvo::Array<int32_t, 2> grid;
    extern "C" void __MAIN(void) {
      grid.dim(3, 2);
      grid(3, 2) = 1;
      grid(0, 3) = 1;
    }
  )");
  ASSERT_TRUE(program);
  testing::RecordingHooks hooks;
  runOnModules(program->main(), "", &hooks, runtimeModules());
  ASSERT_FALSE(hooks.messages.empty());
  EXPECT_NE(hooks.messages[0].find("Array index out of bounds"), std::string::npos) << hooks.messages[0];
}

TEST(CxxFace, HeaderNamesEveryCommandInTheNamespace) {
  std::ifstream in(std::string(KORVO_SDK_DIR) + "/korvo.hpp");
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (const char* line : {
           // One header line stands as two literals joined: it is longer than a source line.
           // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
           "inline void Graphics(int32_t width, int32_t height, int32_t depth = 0, int32_t mode = 0) { "
           "::_fgraphics(width, height, depth, mode); }",
           "inline int32_t KeyDown(int32_t key) { return ::_fkeydown(key); }",
           "inline float JoyX(int32_t port = 0) { return ::_fjoyx(port); }",
           "inline float Rnd(float from, float to = 0.0f) { return ::_frnd(from, to); }",
           "inline String String_(String string, int32_t repeat) {",
           "inline void AppTitle(String title, String close_prompt = \"\") {",
       }) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace korvo
