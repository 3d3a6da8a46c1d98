// Objects of user types: lifecycle and counters, walks and Each with deletion, reordering,
// handles, the text form, and the pools across basic module runs.
#include <gtest/gtest.h>

#include "core/kv_object.h"
#include "core/kv_string.h"
#include "core/type_records.h"
#include "startup/runtime_modules.h"
#include "core/test_types.h"

namespace korvo::core {
namespace {

using testing::UserType;

class Objects : public ::testing::Test {
 protected:
  void SetUp() override { createBasicModule(); }
  void TearDown() override { destroyBasicModule(); }

  // Field 0 int, field 1 a reference to the same type.
  UserType<2> node{&kvIntType, nullptr};
  UserType<1> other{&kvIntType};

  void SetUpNode() { node.fields[1] = reinterpret_cast<const KvTypeRecord*>(&node.type); }

  KvObj* newNode(std::int32_t value) {
    KvObj* o = kvObjNew(&node.type);
    o->fields[0].i = value;
    return o;
  }

  // The values of the live objects, walked with First/Next.
  std::vector<int> values() {
    std::vector<int> out;
    for (KvObj* o = kvObjFirst(&node.type); o; o = kvObjNext(o)) out.push_back(o->fields[0].i);
    return out;
  }
  std::vector<int> valuesBackwards() {
    std::vector<int> out;
    for (KvObj* o = kvObjLast(&node.type); o; o = kvObjPrev(o)) out.push_back(o->fields[0].i);
    return out;
  }
};

TEST_F(Objects, NewObjectsAreZeroedAppendedAndCounted) {
  SetUpNode();
  KvObj* a = newNode(1);
  KvObj* b = newNode(2);
  EXPECT_EQ(a->fields, reinterpret_cast<KvSlot*>(a + 1));
  EXPECT_EQ(b->fields[1].o, nullptr);
  EXPECT_EQ(a->refs, 1);
  EXPECT_EQ(values(), (std::vector<int>{1, 2}));
  EXPECT_EQ(valuesBackwards(), (std::vector<int>{2, 1}));
  EXPECT_EQ(activeObjectCount(), 2);
  EXPECT_EQ(unreleasedObjectCount(), 2);
}

TEST_F(Objects, DeleteWhileReferencedKeepsMemoryUntilTheLastRelease) {
  SetUpNode();
  KvObj* variable = nullptr;
  KvObj* a = newNode(1);
  newNode(2);
  kvObjStore(&variable, a);
  EXPECT_EQ(a->refs, 2);

  kvObjDelete(a);
  EXPECT_EQ(a->fields, nullptr);
  EXPECT_EQ(kvObjCompare(variable, nullptr), 0);  // reads as Null
  EXPECT_EQ(values(), (std::vector<int>{2}));
  EXPECT_EQ(activeObjectCount(), 1);
  EXPECT_EQ(unreleasedObjectCount(), 2);
  kvObjDelete(a);  // deleting twice does nothing
  EXPECT_EQ(activeObjectCount(), 1);

  kvObjStore(&variable, nullptr);
  EXPECT_EQ(unreleasedObjectCount(), 1);
  EXPECT_EQ(node.type.freeList.prev, a);  // appended to the free list
}

TEST_F(Objects, DeleteReleasesStringAndObjectFields) {
  static UserType<2> holder{&kvStrType, nullptr};  // types are static data, as in a program
  holder.fields[1] = reinterpret_cast<const KvTypeRecord*>(&holder.type);
  KvObj* inner = kvObjNew(&holder.type);
  KvObj* outer = kvObjNew(&holder.type);
  outer->fields[0].s = kvStrConst("text");
  kvObjStore(&outer->fields[1].o, inner);
  kvObjDelete(inner);
  EXPECT_EQ(unreleasedObjectCount(), 2);  // outer still refers to inner
  kvObjDelete(outer);
  EXPECT_EQ(liveStringCount(), 0);
  EXPECT_EQ(activeObjectCount(), 0);
  EXPECT_EQ(unreleasedObjectCount(), 0);
}

TEST_F(Objects, SelfReferenceIsFreedOnDelete) {
  SetUpNode();
  KvObj* a = newNode(1);
  kvObjStore(&a->fields[1].o, a);
  kvObjDelete(a);
  EXPECT_EQ(unreleasedObjectCount(), 0);
}

TEST_F(Objects, CompareLooksAtExistenceNotIdentityOfDeleted) {
  SetUpNode();
  KvObj* a = newNode(1);
  KvObj* b = newNode(2);
  EXPECT_EQ(kvObjCompare(a, a), 0);
  EXPECT_EQ(kvObjCompare(a, b), 1);
  EXPECT_EQ(kvObjCompare(a, nullptr), 1);
  EXPECT_EQ(kvObjCompare(nullptr, nullptr), 0);
}

TEST_F(Objects, EachContinuesWhenTheBodyDeletesTheCurrentObject) {
  SetUpNode();
  for (int i = 1; i <= 5; ++i) newNode(i);
  std::vector<int> seen;
  KvObj* variable = nullptr;
  for (int more = kvObjEachFirst(&variable, &node.type); more; more = kvObjEachNext(&variable)) {
    seen.push_back(variable->fields[0].i);
    if (variable->fields[0].i % 2) kvObjDelete(variable);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(values(), (std::vector<int>{2, 4}));
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(unreleasedObjectCount(), 2);  // the loop variable let go of the deleted ones
}

TEST_F(Objects, EachOverAnEmptyTypeEndsAtOnce) {
  SetUpNode();
  KvObj* variable = nullptr;
  EXPECT_EQ(kvObjEachFirst(&variable, &node.type), 0);
  EXPECT_EQ(kvObjFirst(&node.type), nullptr);
  EXPECT_EQ(kvObjLast(&node.type), nullptr);
}

TEST_F(Objects, DeleteEachDeletesEveryObjectButHeldOnesStayUntilReleased) {
  SetUpNode();
  KvObj* held = nullptr;
  for (int i = 1; i <= 3; ++i) newNode(i);
  kvObjStore(&held, kvObjLast(&node.type));
  kvObjDeleteEach(&node.type);
  EXPECT_EQ(activeObjectCount(), 0);
  EXPECT_EQ(unreleasedObjectCount(), 1);
  EXPECT_EQ(kvObjFirst(&node.type), nullptr);
  kvObjRelease(held);
  EXPECT_EQ(unreleasedObjectCount(), 0);
}

TEST_F(Objects, DeleteEachGoesOnPastADeletedObjectThatOnlyTheDeletedOneHeld) {
  // 1 holds 2 in its reference field; 2 is deleted already, so deleting 1 frees it. The
  // walk must still reach 3.
  SetUpNode();
  KvObj* first = newNode(1);
  KvObj* second = newNode(2);
  newNode(3);
  kvObjStore(&first->fields[1].o, second);
  kvObjDelete(second);
  kvObjDeleteEach(&node.type);
  EXPECT_EQ(activeObjectCount(), 0);
  EXPECT_EQ(unreleasedObjectCount(), 0);
  EXPECT_EQ(kvObjFirst(&node.type), nullptr);
}

TEST_F(Objects, InsertBeforeAndAfterReorderTheList) {
  SetUpNode();
  KvObj* a = newNode(1);
  KvObj* b = newNode(2);
  KvObj* c = newNode(3);
  kvObjInsBefore(c, a);
  EXPECT_EQ(values(), (std::vector<int>{3, 1, 2}));
  kvObjInsAfter(c, b);
  EXPECT_EQ(values(), (std::vector<int>{1, 2, 3}));
  kvObjInsAfter(a, b);
  EXPECT_EQ(values(), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(valuesBackwards(), (std::vector<int>{3, 1, 2}));
}

TEST_F(Objects, InsertRelativeToItselfNullOrAnotherTypeChangesNothing) {
  SetUpNode();
  KvObj* a = newNode(1);
  newNode(2);
  KvObj* stranger = kvObjNew(&other.type);
  kvObjInsBefore(a, a);
  kvObjInsAfter(a, a);
  kvObjInsBefore(a, nullptr);
  kvObjInsAfter(nullptr, a);
  kvObjInsBefore(stranger, a);
  EXPECT_EQ(values(), (std::vector<int>{1, 2}));
  EXPECT_EQ(kvObjFirst(&other.type), stranger);
}

TEST_F(Objects, WalksSkipDeletedObjectsAndStopAtNull) {
  SetUpNode();
  KvObj* held = nullptr;
  KvObj* a = newNode(1);
  kvObjStore(&held, newNode(2));
  KvObj* c = newNode(3);
  kvObjDelete(held);
  EXPECT_EQ(kvObjNext(a), c);
  EXPECT_EQ(kvObjPrev(c), a);
  EXPECT_EQ(kvObjNext(held), c);  // a deleted object still knows its place
  EXPECT_EQ(kvObjNext(nullptr), nullptr);
  EXPECT_EQ(kvObjPrev(nullptr), nullptr);
  kvObjRelease(held);
}

TEST_F(Objects, HandlesAreNumberedInRequestOrderAndNeverReused) {
  SetUpNode();
  KvObj* a = newNode(1);
  KvObj* b = newNode(2);
  EXPECT_EQ(kvObjToHandle(nullptr), 0);
  EXPECT_EQ(kvObjToHandle(b), 1);
  EXPECT_EQ(kvObjToHandle(a), 2);
  EXPECT_EQ(kvObjToHandle(b), 1);
  EXPECT_EQ(kvObjFromHandle(1, &node.type), b);

  kvObjDelete(b);
  EXPECT_EQ(kvObjToHandle(b), 0);
  EXPECT_EQ(kvObjFromHandle(1, &node.type), nullptr);
  // Run the free list round until b's memory comes back.
  KvObj* reused = nullptr;
  for (int i = 0; i < 512 && reused != b; ++i) reused = newNode(3);
  ASSERT_EQ(reused, b);
  EXPECT_EQ(kvObjToHandle(reused), 3);
  EXPECT_EQ(kvObjFromHandle(1, &node.type), nullptr);
  EXPECT_EQ(kvObjFromHandle(99, &node.type), nullptr);
}

TEST_F(Objects, HandleOfAnotherTypeFindsNothing) {
  SetUpNode();
  const std::int32_t h = kvObjToHandle(kvObjNew(&other.type));
  EXPECT_EQ(kvObjFromHandle(h, &node.type), nullptr);
  EXPECT_NE(kvObjFromHandle(h, &other.type), nullptr);
}

TEST_F(Objects, TextFormShowsFieldsRootAndDepthLimit) {
  static UserType<4> mixed{&kvIntType, &kvFltType, &kvStrType, &kvCStrType};
  KvObj* m = kvObjNew(&mixed.type);
  m->fields[0].i = -3;
  m->fields[1].f = 2.5f;
  m->fields[3].i = 7;
  EXPECT_EQ(takeString(kvObjToStr(m)), "[-3,2.5,\"\",???]");
  m->fields[2].s = kvStrConst("hi");
  EXPECT_EQ(takeString(kvObjToStr(m)), "[-3,2.5,\"hi\",???]");
  EXPECT_EQ(takeString(kvObjToStr(nullptr)), "[NULL]");

  SetUpNode();
  KvObj* self = newNode(1);
  kvObjStore(&self->fields[1].o, self);
  EXPECT_EQ(takeString(kvObjToStr(self)), "[1,[ROOT]]");

  // A chain of nine: the ninth level is cut off.
  KvObj* head = newNode(1);
  KvObj* at = head;
  for (int i = 2; i <= 9; ++i) {
    KvObj* next = newNode(i);
    kvObjStore(&at->fields[1].o, next);
    at = next;
  }
  EXPECT_EQ(takeString(kvObjToStr(head)), "[1,[2,[3,[4,[5,[6,[7,[8,....]]]]]]]]");
  // The conversion state is back at rest: the same object prints again as a root.
  EXPECT_EQ(takeString(kvObjToStr(at)), "[9,[NULL]]");
  kvObjDelete(kvObjNext(head));
  EXPECT_EQ(takeString(kvObjToStr(head)), "[1,[NULL]]");
}

TEST_F(Objects, NullAccessRaisesObjectDoesNotExist) {
  EXPECT_EQ(testing::errorOf([] { kvNullObjEx(); }), "Object does not exist");
}

TEST_F(Objects, PoolsGrowByBlocksOf512) {
  SetUpNode();
  newNode(0);
  int freeCount = 0;
  for (KvObj* o = node.type.freeList.next; o != &node.type.freeList; o = o->next) ++freeCount;
  EXPECT_EQ(freeCount, 511);
  for (int i = 0; i < 512; ++i) newNode(i);
  EXPECT_EQ(activeObjectCount(), 513);
  EXPECT_EQ(values().size(), 513u);
}

// The type descriptors are static data that outlive a run; their lists must not keep
// pointing into the blocks the last run freed.
TEST_F(Objects, TypesStartEmptyAgainAfterTheModuleIsDestroyed) {
  SetUpNode();
  newNode(1);
  KvObj* variable = nullptr;
  kvObjStore(&variable, newNode(2));
  destroyBasicModule();
  EXPECT_EQ(node.type.usedList.next, &node.type.usedList);
  EXPECT_EQ(node.type.freeList.prev, &node.type.freeList);
  createBasicModule();
  EXPECT_EQ(activeObjectCount(), 0);
  EXPECT_EQ(unreleasedObjectCount(), 0);
  EXPECT_EQ(kvObjToHandle(newNode(3)), 1);
  EXPECT_EQ(values(), (std::vector<int>{3}));
}

}  // namespace
}  // namespace korvo::core
