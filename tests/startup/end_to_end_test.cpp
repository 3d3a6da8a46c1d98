// Whole programs in the shape compiled code has: user types walked with Each, arrays
// dimensioned and released, data statements with labels, strings and arithmetic helpers,
// all reached through the linker's patches.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/program_builder.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "startup/runtime_modules.h"

namespace korvo {
namespace {

std::unique_ptr<testing::Program> load(const std::string& source) {
  std::string error;
  const auto image = testing::buildProgram(source, &error);
  EXPECT_TRUE(image) << error;
  if (!image) return nullptr;
  auto program = std::make_unique<testing::Program>(*image);
  EXPECT_TRUE(program->linked()) << program->failure().message;
  return program->linked() ? std::move(program) : nullptr;
}

constexpr char kCoreProgram[] = R"(
#include "korvo.h"

/* Type Thing: Field id%, name$ */
struct { KvObjType type; const KvTypeRecord* fields[2]; } _tthing;
/* Dim grid%(3, 2), names$(4) */
struct { KvArray a; int32_t scales[2]; } _agrid = {{0, KV_TAG_INT, 2}, {3, 2}};
struct { KvArray a; int32_t scales[1]; } _anames = {{0, KV_TAG_STRING, 1}, {4}};
/* Data 7, 2.5, "three" : .second : Data "42", -2.7 */
const KvDataEntry __DATA[] = {
    {KV_TAG_INT, 0, {.i = 7}}, {KV_TAG_FLOAT, 0, {.f = 2.5f}}, {KV_TAG_CSTRING, 0, {.s = "three"}},
    {KV_TAG_CSTRING, 0, {.s = "42"}}, {KV_TAG_FLOAT, 0, {.f = -2.7f}}, {KV_TAG_END, 0, {.i = 0}}};
const KvDataEntry* const _l_second = &__DATA[3];

int32_t _vgrid_cell, _vgrid_scale0, _vgrid_scale1, _vnames_undimmed, _vthing_text;
int32_t _vsum_ids, _vlive_after_delete, _vhandle_first, _vhandle_again, _vhandle_stale;
int32_t _vdata_int, _vdata_float_as_int, _vdata_label_int, _vdata_neg_as_int;
int32_t _vmod_a, _vmod_b, _vabs_min, _vcompare;
KvString* _vtext;

void __MAIN(void) {
  __kvRestore(__DATA);

  /* Arrays: bounds 3 and 2 give scales 4 and 12; element (3, 2) is the last one. */
  __kvDimArray(&_agrid.a);
  _vgrid_scale0 = _agrid.scales[0];
  _vgrid_scale1 = _agrid.scales[1];
  _agrid.a.data[3 + 2 * _agrid.scales[0]].i = 99;
  _vgrid_cell = _agrid.a.data[11].i;
  __kvUndimArray(&_agrid.a);

  __kvDimArray(&_anames.a);
  for (int i = 0; i < 3; ++i) __kvStrStore(&_anames.a.data[i].s, __kvStrFromInt(i));
  _fruntimestats();
  __kvUndimArray(&_anames.a);
  _fruntimestats();
  _vnames_undimmed = _anames.a.data == 0;
  __kvUndimArray(&_anames.a);

  /* Objects: three things, the middle one deleted inside Each. */
  kvObjTypeInit(&_tthing.type, 2);
  _tthing.fields[0] = &__kvIntType;
  _tthing.fields[1] = &__kvStrType;
  for (int i = 1; i <= 3; ++i) {
    KvObj* o = __kvObjNew(&_tthing.type);
    o->fields[0].i = i * 10;
    __kvStrStore(&o->fields[1].s, __kvStrConcat(__kvStrConst("thing "), __kvStrFromInt(i)));
  }
  KvObj* each = 0;
  _vhandle_first = __kvObjToHandle(__kvObjFirst(&_tthing.type));
  _vhandle_again = __kvObjToHandle(__kvObjFirst(&_tthing.type));
  for (int more = __kvObjEachFirst(&each, &_tthing.type); more; more = __kvObjEachNext(&each)) {
    _vsum_ids += each->fields[0].i;
    if (each->fields[0].i == 20) __kvObjDelete(each);
  }
  __kvObjStore(&each, 0);
  for (int more = __kvObjEachFirst(&each, &_tthing.type); more; more = __kvObjEachNext(&each)) ++_vlive_after_delete;
  __kvObjStore(&each, 0);
  __kvObjDelete(__kvObjFirst(&_tthing.type));
  _vhandle_stale = __kvObjFromHandle(_vhandle_first, &_tthing.type) == 0;
  _vthing_text = __kvStrCompare(__kvObjToStr(__kvObjLast(&_tthing.type)), __kvStrConst("[30,\"thing 3\"]")) == 0;

  /* Data: read in order, then from the label. */
  _vdata_int = __kvReadInt();
  _vdata_float_as_int = __kvReadInt();
  __kvStrStore(&_vtext, __kvReadStr());
  __kvRestore(_l_second);
  _vdata_label_int = __kvReadInt();
  _vdata_neg_as_int = __kvReadInt();

  /* Strings and arithmetic helpers. */
  __kvStrStore(&_vtext, __kvStrConcat(__kvStrConcat(__kvStrLoad(&_vtext), __kvStrConst(" and ")),
                                      __kvStrFromFloat(1.5f)));
  _vmod_a = __kvMod(-7, 3);
  _vmod_b = __kvMod(7, -3);
  _vabs_min = __kvAbs(-2147483647 - 1);
  _vcompare = __kvStrCompare(__kvStrLoad(&_vtext), __kvStrConst("three and 1.5")) == 0;
}
)";

TEST(EndToEnd, LanguageCoreAsCompiledCodeUsesIt) {
  auto program = load(kCoreProgram);
  ASSERT_TRUE(program);
  testing::RecordingHooks hooks;
  ASSERT_EQ(runOnModules(program->main(), "", &hooks, runtimeModules()), nullptr);
  EXPECT_EQ(program->int32("_vgrid_scale0"), 4);
  EXPECT_EQ(program->int32("_vgrid_scale1"), 12);
  EXPECT_EQ(program->int32("_vgrid_cell"), 99);
  EXPECT_EQ(program->int32("_vnames_undimmed"), 1);
  ASSERT_EQ(hooks.logs.size(), 6u);
  EXPECT_EQ(hooks.logs[0], "Active strings :3");
  EXPECT_EQ(hooks.logs[3], "Active strings :0");
  EXPECT_EQ(program->int32("_vthing_text"), 1);
  EXPECT_EQ(program->int32("_vsum_ids"), 60);
  EXPECT_EQ(program->int32("_vlive_after_delete"), 2);
  EXPECT_EQ(program->int32("_vhandle_first"), 1);
  EXPECT_EQ(program->int32("_vhandle_again"), 1);
  EXPECT_EQ(program->int32("_vhandle_stale"), 1);
  EXPECT_EQ(program->int32("_vdata_int"), 7);
  EXPECT_EQ(program->int32("_vdata_float_as_int"), 2);
  EXPECT_EQ(program->int32("_vdata_label_int"), 42);
  EXPECT_EQ(program->int32("_vdata_neg_as_int"), -2);
  EXPECT_EQ(program->int32("_vmod_a"), -1);
  EXPECT_EQ(program->int32("_vmod_b"), 1);
  EXPECT_EQ(program->int32("_vabs_min"), INT32_MIN);
  EXPECT_EQ(program->int32("_vcompare"), 1);
  EXPECT_EQ(hooks.messages, std::vector<std::string>{"Program has ended"});
}

// Math, string commands, a bank and files, with the results in files the program writes:
// the path comes on the command line; a second file holds what it read back.
constexpr char kLibraryProgram[] = R"(
#include "korvo.h"

static KvString* path(const char* suffix) {
  return __kvStrConcat(_fcommandline(), __kvStrConst(suffix));
}

void __MAIN(void) {
  int32_t out = _fwritefile(path(".txt"));
  _fwriteline(out, _fupper(__kvStrConst("korvo")));
  _fwriteline(out, _fmid(__kvStrConst("Hello World"), 7, -1));
  _fwriteline(out, _freplace(__kvStrConst("a-b-c"), __kvStrConst("-"), __kvStrConst("+")));
  _fwriteline(out, __kvStrFromInt(_finstr(__kvStrConst("banana"), __kvStrConst("na"), 1)));
  _fwriteline(out, _fhex(255));
  _fwriteline(out, __kvStrFromFloat(_fsqr(16.0f)));
  _fwriteline(out, __kvStrFromInt(__kvMod(_flen(__kvStrConst("seventeen chars!!")), 5)));
  int32_t bank = _fcreatebank(16);
  _fpokeint(bank, 4, 123456);
  _fwriteline(out, __kvStrFromInt(_fpeekint(bank, 4)));
  _fwritebytes(bank, out, 4, 4);
  _fwritefloat(out, 2.5f);
  _fclosefile(out);

  int32_t in = _freadfile(path(".txt"));
  int32_t check = _fwritefile(path(".check"));
  for (int i = 0; i < 8; ++i) __kvStrRelease(_freadline(in));
  _freadbytes(bank, in, 8, 8);
  _fwriteline(check, __kvStrFromInt(_fpeekint(bank, 8)));
  _fwriteline(check, __kvStrFromFloat(_fpeekfloat(bank, 12)));
  _fclosefile(in);
  _fclosefile(check);
}
)";

TEST(EndToEnd, LibraryCommandsWriteTheirResultsToFiles) {
  auto program = load(kLibraryProgram);
  ASSERT_TRUE(program);
  testing::ScratchDir dir;
  const std::string base = dir.file("results");
  testing::RecordingHooks hooks;
  ASSERT_EQ(runOnModules(program->main(), base, &hooks, runtimeModules()), nullptr);
  const std::vector<std::uint8_t> written = testing::readFile(base + ".txt");
  const std::string lines = "KORVO\r\nWorld\r\na+b+c\r\n3\r\n000000FF\r\n4.0\r\n2\r\n123456\r\n";
  std::vector<std::uint8_t> expected(lines.begin(), lines.end());
  for (std::uint8_t b : {0x40, 0xE2, 0x01, 0x00, 0x00, 0x00, 0x20, 0x40}) expected.push_back(b);
  EXPECT_EQ(written, expected);
  const std::vector<std::uint8_t> check = testing::readFile(base + ".check");
  EXPECT_EQ(std::string(check.begin(), check.end()), "123456\r\n2.5\r\n");
  EXPECT_EQ(hooks.messages, std::vector<std::string>{"Program has ended"});
}

}  // namespace
}  // namespace korvo
