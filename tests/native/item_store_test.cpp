#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/item_name.h"
#include "store/collection.h"
#include "store/thumbnail_slots.h"

namespace {

ItemList ListOf(const std::vector<std::string>& names) {
  ItemList list;
  list.Last();
  for (const auto& name : names) list.Insert(Item{TextItem, 0, name});
  list.Reset();
  return list;
}

std::vector<std::string> Names(const ItemList& list) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < list.Count(); ++i) names.push_back(list.At(i).name);
  return names;
}

std::string CurrentName(const ItemList& list) {
  return list.Current() == nullptr ? "<before first>" : list.Current()->name;
}

TEST(ItemListCursor, NextWalksAndStopsAtTheLastElement) {
  ItemList list = ListOf({"a", "b", "c"});
  EXPECT_EQ(list.CurrentPosition(), -1);
  EXPECT_TRUE(list.Next());
  EXPECT_EQ(CurrentName(list), "a");
  EXPECT_TRUE(list.Next());
  EXPECT_TRUE(list.Next());
  EXPECT_EQ(CurrentName(list), "c");
  EXPECT_FALSE(list.Next());
  EXPECT_EQ(CurrentName(list), "c");

  ItemList empty;
  EXPECT_FALSE(empty.Next());
  EXPECT_EQ(empty.CurrentPosition(), -1);
  empty.Last();
  EXPECT_EQ(empty.Current(), nullptr);
}

TEST(ItemListCursor, SelectByPositionClampsToTheEnds) {
  ItemList list = ListOf({"a", "b", "c"});
  list.SelectPosition(1);
  EXPECT_EQ(CurrentName(list), "b");
  list.SelectPosition(0);
  EXPECT_EQ(CurrentName(list), "a");
  list.SelectPosition(7);  // next stops at the last element
  EXPECT_EQ(CurrentName(list), "c");
  list.SelectPosition(-1);
  EXPECT_EQ(list.CurrentPosition(), -1);
  list.SelectPosition(-5);
  EXPECT_EQ(list.CurrentPosition(), -1);
}

TEST(ItemListCursor, InsertGoesAfterTheCursorOrAtTheHead) {
  ItemList list = ListOf({"a", "b"});
  list.Reset();
  list.Insert(Item{ImageItem, 0, "new"});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"new", "a", "b"}));
  EXPECT_EQ(list.CurrentPosition(), 0);

  list.SelectPosition(1);
  list.Insert(Item{TextItem, 0, "mid"});
  EXPECT_EQ(Names(list), (std::vector<std::string>{"new", "a", "mid", "b"}));
  EXPECT_EQ(CurrentName(list), "mid");

  list.Last();
  list.Insert(Item{TextItem, 0, "end"});
  EXPECT_EQ(list.CurrentPosition(), 4);
  EXPECT_EQ(Names(list).back(), "end");
}

TEST(ItemListCursor, DeleteMovesTheCursorBack) {
  ItemList list = ListOf({"a", "b", "c"});
  list.SelectPosition(2);
  list.DeleteCurrent();
  EXPECT_EQ(CurrentName(list), "b");
  list.SelectPosition(0);
  list.DeleteCurrent();
  EXPECT_EQ(list.CurrentPosition(), -1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"b"}));
  // Before the first element there is nothing to delete.
  list.DeleteCurrent();
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.CurrentPosition(), -1);
}

TEST(ThumbnailSlots, ARowDrawnTakesAFreeSlotThenTheOneUsedLongestAgo) {
  ThumbnailSlots slots(2);
  EXPECT_EQ(slots.Find("a"), -1);
  const int32_t a = slots.Assign("a");
  const int32_t b = slots.Assign("b");
  EXPECT_NE(a, b);
  EXPECT_EQ(slots.Assign("a"), a) << "an item keeps its slot";
  // "b" was used longest ago: "c" takes its slot.
  EXPECT_EQ(slots.Assign("c"), b);
  EXPECT_EQ(slots.Find("b"), -1);
  EXPECT_EQ(slots.Find("a"), a);
  slots.Forget("c");
  EXPECT_EQ(slots.Assign("d"), b) << "a forgotten item's slot is free first";
  EXPECT_EQ(slots.Find("a"), a);
  slots.Clear();
  EXPECT_EQ(slots.Find("a"), -1);
}

// Deletes the current element as the program's deletion does, recording what went.
struct RecordingDeleter {
  ItemList* list;
  std::vector<std::string> deleted;
  void operator()() {
    ASSERT_NE(list->Current(), nullptr);
    deleted.push_back(list->Current()->name);
    list->DeleteCurrent();
  }
};

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("item" + std::to_string(i));
  return names;
}

// A filtered view over positions 0..9 showing 1, 4 and 7; items come and go around them.
TEST(RowView, AFilteredViewFollowsItemsThatComeAndGo) {
  RowView rows;
  EXPECT_EQ(rows.ItemAt(3, 10), 3);
  EXPECT_EQ(rows.RowOf(9, 10), 9);
  EXPECT_EQ(rows.ItemAt(10, 10), -1);

  rows.ShowOnly({1, 4, 7});
  EXPECT_EQ(rows.Count(10), 3);
  EXPECT_EQ(rows.ItemAt(2, 10), 7);
  EXPECT_EQ(rows.ItemAt(3, 10), -1);
  EXPECT_EQ(rows.RowOf(4, 10), 1);
  EXPECT_EQ(rows.RowOf(5, 10), -1);

  // A new item at the top that does not match moves every shown one down without a row.
  EXPECT_EQ(rows.Inserted(0, false), -1);
  EXPECT_EQ(rows.ItemAt(0, 11), 2);
  // One that matches gets its row in order.
  EXPECT_EQ(rows.Inserted(4, true), 1);
  EXPECT_EQ(rows.Count(12), 4);
  EXPECT_EQ(rows.ItemAt(1, 12), 4);
  EXPECT_EQ(rows.ItemAt(2, 12), 6);

  // Removing a shown item gives its row back; removing a hidden one only moves the later ones.
  EXPECT_EQ(rows.Removed(4), 1);
  EXPECT_EQ(rows.Removed(0), -1);
  EXPECT_EQ(rows.Count(10), 3);
  EXPECT_EQ(rows.ItemAt(0, 10), 1);
  EXPECT_EQ(rows.ItemAt(1, 10), 4);
  EXPECT_EQ(rows.ItemAt(2, 10), 7);

  rows.ShowAll();
  EXPECT_EQ(rows.Count(10), 10);
  EXPECT_EQ(rows.Inserted(0, false), 0);
}

TEST(TrimToLimit, OneOverTheLimitLosesItsOldestItemOnly) {
  ItemList list = ListOf(Numbered(21));
  RecordingDeleter deleter{&list, {}};
  TrimToLimit(list, 20, [&] { deleter(); });
  EXPECT_EQ(deleter.deleted, (std::vector<std::string>{"item20"}));
  EXPECT_EQ(list.Count(), 20);
  EXPECT_EQ(list.CurrentPosition(), -1);
  EXPECT_EQ(list.At(0).name, "item0");
}

TEST(TrimToLimit, LimitOneKeepsTheNewestAndLimitsBelowOneCountAsOne) {
  for (int32_t limit : {1, 0, -3}) {
    ItemList list = ListOf(Numbered(5));
    RecordingDeleter deleter{&list, {}};
    TrimToLimit(list, limit, [&] { deleter(); });
    EXPECT_EQ(Names(list), (std::vector<std::string>{"item0"})) << limit;
    // Oldest first.
    EXPECT_EQ(deleter.deleted, (std::vector<std::string>{"item4", "item3", "item2", "item1"}));
  }
  ItemList empty;
  TrimToLimit(empty, 0, [] { FAIL() << "nothing to delete"; });
}

TEST(TrimToLimit, UnderTheLimitOnlyResetsAndAFailedDeletionEndsTheLoop) {
  ItemList list = ListOf(Numbered(3));
  list.SelectPosition(1);
  TrimToLimit(list, 20, [] { FAIL() << "nothing to delete"; });
  EXPECT_EQ(list.CurrentPosition(), -1);

  int calls = 0;
  TrimToLimit(list, 1, [&] { ++calls; });  // a deletion that removes nothing
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(list.Count(), 3);

  // The limit command keeps up to the new limit itself, even the largest one.
  TrimToCount(list, 2, [&] { list.DeleteCurrent(); });
  EXPECT_EQ(Names(list), (std::vector<std::string>{"item0", "item1"}));
  TrimToCount(list, INT32_MAX, [] { FAIL(); });
}

TEST(TrimToLimit, PinnedItemsStayAndAreNotCounted) {
  ItemList list = ListOf(Numbered(6));
  list.At(5).pinned = true;  // the oldest
  list.At(2).pinned = true;
  RecordingDeleter deleter{&list, {}};
  TrimToLimit(list, 2, [&] { deleter(); });
  EXPECT_EQ(deleter.deleted, (std::vector<std::string>{"item4", "item3"}));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"item0", "item1", "item2", "item5"}));
  EXPECT_EQ(UnpinnedCount(list), 2);
  // Only pinned items left beyond the limit: nothing more goes.
  TrimToCount(list, 0, [&] { deleter(); });
  EXPECT_EQ(Names(list), (std::vector<std::string>{"item2", "item5"}));
}

TEST(ItemName, DateAndTimeWithoutLeadingZerosInTheMilliseconds) {
  std::string captureTime;
  const auto never = [](const std::string&) { return false; };
  EXPECT_EQ(MakeItemName({2027, 2, 1, 9, 5, 3, 40}, captureTime, never), "01022027-090503-40");
  EXPECT_EQ(captureTime, "09:05:03");
  EXPECT_EQ(MakeItemName({2026, 12, 6, 14, 30, 5, 7}, captureTime, never), "06122026-143005-7");
  EXPECT_EQ(MakeItemName({2026, 12, 6, 14, 30, 5, 123}, captureTime, never), "06122026-143005-123");
  EXPECT_EQ(MakeItemName({2000, 1, 1, 0, 0, 0, 0}, captureTime, never), "01012000-000000-0");
  EXPECT_EQ(captureTime, "00:00:00");
  EXPECT_EQ(MakeItemName({2099, 12, 31, 23, 59, 59, 999}, captureTime, never), "31122099-235959-999");
}

TEST(ItemName, SameMillisecondStillGivesDifferentNames) {
  CollectionState store;
  const LocalDateTime now{2027, 2, 1, 9, 5, 3, 40};
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    names.push_back(MakeItemName(now, store));
    store.Items.Reset();
    store.Items.Insert(Item{TextItem, 0, names.back()});
  }
  EXPECT_EQ(names, (std::vector<std::string>{"01022027-090503-40", "01022027-090503-40-1",
                                             "01022027-090503-40-2", "01022027-090503-40-3"}));
  EXPECT_EQ(store.CaptureTime, "09:05:03");
  for (const auto& name : names) {
    EXPECT_EQ(name.find_first_not_of("0123456789-"), std::string::npos) << name;
  }
  // A name made but whose item is already gone (trimmed at limit 1) is still not repeated at once.
  CollectionState trimmed;
  const std::string first = MakeItemName(now, trimmed);
  EXPECT_NE(MakeItemName(now, trimmed), first);
}

}  // namespace
