// Handle registries: handles are never reused, stale and foreign handles find nothing, handles
// from another registry insert anywhere, and a long run of making and freeing stays small.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "base/handle_registry.h"

namespace korvo {
namespace {

struct Thing {
  int value;
};

std::vector<std::int32_t> handlesOf(const HandleRegistry<Thing>& r) {
  std::vector<std::int32_t> out;
  for (const auto& [handle, thing] : r) out.push_back(handle);
  return out;
}

TEST(HandleRegistry, HandlesCountOnAndStaleOnesFindNothing) {
  HandleRegistry<Thing> r;
  const std::int32_t a = r.add(std::make_unique<Thing>(Thing{1}));
  const std::int32_t b = r.add(std::make_unique<Thing>(Thing{2}));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_TRUE(r.erase(a));
  EXPECT_FALSE(r.erase(a));
  EXPECT_EQ(r.find(a), nullptr);
  EXPECT_EQ(r.add(std::make_unique<Thing>(Thing{3})), 3);
  r.clear();
  EXPECT_EQ(r.size(), 0u);
  EXPECT_EQ(r.find(b), nullptr);
  EXPECT_EQ(r.add(std::make_unique<Thing>(Thing{4})), 4);
  r.reset();
  EXPECT_EQ(r.add(std::make_unique<Thing>(Thing{5})), 1);
  for (std::int32_t h : {0, -1, 2, INT_MIN, INT_MAX}) EXPECT_EQ(r.find(h), nullptr) << h;
}

TEST(HandleRegistry, WalksLiveObjectsInHandleOrder) {
  HandleRegistry<Thing> r;
  for (int i = 0; i < 6; ++i) r.add(std::make_unique<Thing>(Thing{i}));
  r.erase(1);
  r.erase(4);
  r.erase(6);
  EXPECT_EQ(handlesOf(r), (std::vector<std::int32_t>{2, 3, 5}));
  EXPECT_EQ(r.begin()->first, 2);
  EXPECT_EQ(r.begin()->second->value, 1);
  EXPECT_EQ(r.size(), 3u);
  std::unique_ptr<Thing> taken = r.take(3);
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->value, 2);
  EXPECT_EQ(r.take(3), nullptr);
  EXPECT_EQ(handlesOf(r), (std::vector<std::int32_t>{2, 5}));
}

TEST(HandleRegistry, InsertsUnderHandlesFromElsewhereInAnyOrder) {
  Thing x{7}, y{8}, z{9};
  HandleTable<Thing> t;
  t.insert(40, &x);
  t.insert(12, &y);
  t.insert(400, &z);
  EXPECT_EQ(t.find(12), &y);
  EXPECT_EQ(t.find(40), &x);
  EXPECT_EQ(t.find(400), &z);
  EXPECT_EQ(t.find(41), nullptr);
  EXPECT_EQ(t.size(), 3u);
  t.insert(40, &z);
  EXPECT_EQ(t.find(40), &z);
  EXPECT_EQ(t.size(), 3u);
  t.erase(12);
  t.erase(40);
  t.insert(5, &x);
  EXPECT_EQ(t.find(5), &x);
  EXPECT_EQ(t.find(400), &z);
}

// A program that keeps one early object and churns through 300 000 others: every lookup
// stays right, and the old handles never come back.
TEST(HandleRegistry, ChurnKeepsLookupsRight) {
  HandleRegistry<Thing> r;
  const std::int32_t keep = r.add(std::make_unique<Thing>(Thing{-1}));
  std::int32_t last = 0;
  for (int i = 0; i < 300'000; ++i) {
    const std::int32_t h = r.add(std::make_unique<Thing>(Thing{i}));
    if (last != 0) {
      ASSERT_EQ(r.find(last)->value, i - 1);
      r.erase(last);
    }
    last = h;
  }
  EXPECT_EQ(r.find(keep)->value, -1);
  EXPECT_EQ(r.find(last)->value, 299'999);
  EXPECT_EQ(r.find(last - 1), nullptr);
  EXPECT_EQ(r.size(), 2u);
  r.erase(keep);
  EXPECT_EQ(handlesOf(r), (std::vector<std::int32_t>{last}));
  EXPECT_EQ(r.find(keep), nullptr);
}

}  // namespace
}  // namespace korvo
