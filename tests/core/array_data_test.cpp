// Arrays, vectors and the data reader, with descriptors and data blocks laid out as
// compiled programs emit them.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/block_set.h"
#include "core/kv_array.h"
#include "core/kv_data.h"
#include "core/kv_object.h"
#include "core/type_records.h"
#include "core/test_types.h"
#include "startup/runtime_modules.h"

namespace korvo::core {
namespace {

using testing::errorOf;
using testing::UserType;

// An array descriptor with its scale words, holding the declared upper bounds.
template <std::size_t D>
struct ArrayOf {
  KvArray array;
  std::int32_t scales[D];

  ArrayOf(std::int32_t tag, std::initializer_list<std::int32_t> bounds) : array{nullptr, tag, D} {
    std::copy(bounds.begin(), bounds.end(), scales);
  }
};
static_assert(offsetof(ArrayOf<1>, scales) == sizeof(KvArray), "scale words follow the descriptor");

class Core : public ::testing::Test {
 protected:
  void SetUp() override { createBasicModule(); }
  void TearDown() override { destroyBasicModule(); }
};

using Arrays = Core;
using Data = Core;

TEST_F(Arrays, DimComputesCumulativeScalesAndZeroedElements) {
  ArrayOf<2> grid(KV_TAG_INT, {3, 2});
  kvDimArray(&grid.array);
  EXPECT_EQ(grid.scales[0], 4);
  EXPECT_EQ(grid.scales[1], 12);
  ASSERT_NE(grid.array.data, nullptr);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(grid.array.data[i].raw, 0u);
  // Element (3, 2) is the last one: 3 + 2 * 4.
  grid.array.data[3 + 2 * grid.scales[0]].i = 7;
  EXPECT_EQ(grid.array.data[11].i, 7);
  kvUndimArray(&grid.array);
  EXPECT_EQ(grid.array.data, nullptr);
}

TEST_F(Arrays, UndimReleasesStringsOnceAndAgainDoesNothing) {
  ArrayOf<1> names(KV_TAG_STRING, {4});
  kvDimArray(&names.array);
  names.array.data[0].s = kvStrConst("a");
  names.array.data[2].s = kvStrConst("b");
  names.array.data[4].s = kvStrConst("");
  ASSERT_EQ(liveStringCount(), 3);
  const std::size_t blocks = blockSet().size();
  kvUndimArray(&names.array);
  EXPECT_EQ(liveStringCount(), 0);
  EXPECT_EQ(names.array.data, nullptr);
  EXPECT_EQ(blockSet().size(), blocks - 1);
  kvUndimArray(&names.array);
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Arrays, UndimReleasesObjectReferences) {
  static UserType<1> thing{&kvIntType};  // types are static data, as in a program
  ArrayOf<1> things(KV_TAG_OBJECT, {1});
  kvDimArray(&things.array);
  KvObj* o = kvObjNew(&thing.type);
  kvObjStore(&things.array.data[1].o, o);
  kvObjDelete(o);
  EXPECT_EQ(unreleasedObjectCount(), 1);
  kvUndimArray(&things.array);
  EXPECT_EQ(unreleasedObjectCount(), 0);
}

TEST_F(Arrays, NegativeBoundsGiveNoElements) {
  ArrayOf<1> none(KV_TAG_STRING, {-1});
  kvDimArray(&none.array);
  EXPECT_EQ(none.scales[0], 0);
  EXPECT_NE(none.array.data, nullptr);
  kvUndimArray(&none.array);
  EXPECT_EQ(none.array.data, nullptr);
}

TEST_F(Arrays, BoundsErrors) {
  EXPECT_EQ(errorOf([] { kvArrayBoundsEx(); }), "Array index out of bounds");
  EXPECT_EQ(errorOf([] { kvVecBoundsEx(); }), "Korvo array index out of bounds");
}

TEST_F(Arrays, VectorsAreZeroedAndReleaseTheirStrings) {
  const KvVecType words{KV_TAG_VECTOR, 3, &kvStrType};
  KvSlot* v = kvVecAlloc(&words);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i].raw, 0u);
  v[0].s = kvStrConst("x");
  v[2].s = kvStrConst("y");
  kvVecFree(v, &words);
  EXPECT_EQ(liveStringCount(), 0);
  kvVecFree(nullptr, &words);
}

TEST_F(Arrays, VectorFieldsComeAndGoWithTheirObject) {
  static const KvVecType numbers{KV_TAG_VECTOR, 4, &kvIntType};
  static const KvVecType words{KV_TAG_VECTOR, 2, &kvStrType};
  static UserType<2> holder{reinterpret_cast<const KvTypeRecord*>(&numbers),
                            reinterpret_cast<const KvTypeRecord*>(&words)};
  kvStrRelease(kvStrConst(""));  // the string pool's first block
  const std::size_t blocks = blockSet().size();
  KvObj* o = kvObjNew(&holder.type);
  ASSERT_NE(o->fields[0].v, nullptr);
  EXPECT_EQ(o->fields[0].v[3].raw, 0u);
  o->fields[1].v[1].s = kvStrConst("kept");
  EXPECT_EQ(blockSet().size(), blocks + 3);  // the object block and two vectors
  kvObjDelete(o);
  EXPECT_EQ(blockSet().size(), blocks + 1);
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Data, ReadsConvertEachEntryByTag) {
  static const char kText[] = "42";
  const KvDataEntry data[] = {
      {KV_TAG_FLOAT, 0, {.f = 2.7f}},    {KV_TAG_FLOAT, 0, {.f = -2.7f}},   {KV_TAG_CSTRING, 0, {.s = kText}},
      {KV_TAG_CSTRING, 0, {.s = kText}}, {KV_TAG_INT, 0, {.i = -5}},        {KV_TAG_FLOAT, 0, {.f = 0.5f}},
      {KV_TAG_INT, 0, {.i = 16777217}},  {KV_TAG_CSTRING, 0, {.s = "1e3"}}, {KV_TAG_FLOAT, 0, {.f = 1e10f}},
      {KV_TAG_END, 0, {.i = 0}},
  };
  kvRestore(data);
  EXPECT_EQ(kvReadInt(), 2);
  EXPECT_EQ(kvReadInt(), -2);
  EXPECT_EQ(kvReadInt(), 42);
  EXPECT_EQ(takeString(kvReadStr()), "42");
  EXPECT_EQ(takeString(kvReadStr()), "-5");
  EXPECT_EQ(takeString(kvReadStr()), "0.5");
  EXPECT_EQ(kvReadFloat(), 16777216.0f);  // as exactly as a float allows
  EXPECT_EQ(kvReadFloat(), 1000.0f);
  EXPECT_EQ(kvReadInt(), std::numeric_limits<std::int32_t>::min());  // no int holds it
  EXPECT_EQ(liveStringCount(), 0);
}

TEST_F(Data, OutOfDataLeavesThePointerAndRestoreStartsAgain) {
  const KvDataEntry data[] = {{KV_TAG_INT, 0, {.i = 1}}, {KV_TAG_INT, 0, {.i = 2}}, {KV_TAG_END, 0, {.i = 0}}};
  const KvDataEntry* label = &data[1];
  kvRestore(data);
  EXPECT_EQ(kvReadInt(), 1);
  EXPECT_EQ(kvReadInt(), 2);
  EXPECT_EQ(errorOf([] { kvReadInt(); }), "Out of data");
  EXPECT_EQ(errorOf([] { kvReadStr(); }), "Out of data");
  EXPECT_EQ(liveStringCount(), 0);
  kvRestore(label);
  EXPECT_EQ(kvReadInt(), 2);
}

TEST_F(Data, BadTagRaisesAndDoesNotMove) {
  const KvDataEntry data[] = {{KV_TAG_STRING, 0, {.i = 1}}, {KV_TAG_END, 0, {.i = 0}}};
  kvRestore(data);
  EXPECT_EQ(errorOf([] { kvReadFloat(); }), "Bad data type");
  EXPECT_EQ(errorOf([] { kvReadInt(); }), "Bad data type");
}

TEST_F(Data, ReadingBeforeAnyRestoreIsOutOfData) {
  EXPECT_EQ(errorOf([] { kvReadInt(); }), "Out of data");
}

}  // namespace
}  // namespace korvo::core
