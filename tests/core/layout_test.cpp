// The program layouts agree between C and C++ compilers, and the
// slot conventions hold.
#include <gtest/gtest.h>

#include "korvo_layout.h"

extern "C" void korvoLayoutFromC(std::size_t out[8]);

namespace korvo {
namespace {

TEST(Layout, CAndCppAgree) {
  std::size_t fromC[8];
  korvoLayoutFromC(fromC);
  struct {
    KvObjType type;
    const KvTypeRecord* fields[1];
  } oneField;
  const std::size_t fromCpp[8] = {
      sizeof(KvSlot),
      sizeof(KvObj),
      sizeof(KvObjType),
      sizeof(KvArray),
      sizeof(KvVecType),
      sizeof(KvDataEntry),
      offsetof(KvObj, refs),
      static_cast<std::size_t>(reinterpret_cast<const char*>(kvObjTypeFields(&oneField.type)) -
                               reinterpret_cast<const char*>(&oneField)),
  };
  for (int i = 0; i < 8; ++i) EXPECT_EQ(fromC[i], fromCpp[i]) << i;
  EXPECT_EQ(fromCpp[7], sizeof(KvObjType));
}

TEST(Layout, IntsAndFloatsSitInTheLowBytesOfASlot) {
  KvSlot slot;
  slot.raw = 0;
  slot.i = -1;
  EXPECT_EQ(slot.raw, 0xffffffffu);
  slot.raw = 0;
  slot.f = 1.0f;
  EXPECT_EQ(slot.raw, 0x3f800000u);
}

}  // namespace
}  // namespace korvo
