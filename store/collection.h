// The item record, the item list with its cursor and the trimming rule.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr int32_t ImageItem = 0;
inline constexpr int32_t TextItem = 1;

struct Item {
  int32_t kind = ImageItem;  // ImageItem or TextItem
  int32_t image = 0;         // working image while capture makes an image item; never stored
  std::string name;          // base name of the item's files (name.clt, name.bmp, name.txt)
  bool checked = false;      // the row's check mark
  bool pinned = false;       // kept whatever comes after it (its NAME.pin file says so)
};

// An ordered list of items with a cursor that stands on an element or before the first one.
class ItemList {
 public:
  // Cursor before the first element.
  void Reset() { cursor_ = -1; }
  // Moves to the next element; at the last one (or on an empty list) the cursor stays and it returns false.
  bool Next();
  // Reset, then Next position + 1 times: a position past the end lands on the last element.
  void SelectPosition(int32_t position);
  // Cursor on the last element (before the first one when the list is empty).
  void Last();
  // Inserts after the current element, or at the head when the cursor is before the first;
  // the cursor moves to the new element, which is returned.
  Item& Insert(Item item);
  // Removes the current element; the cursor moves to the previous one (before the first when the
  // head was removed). Does nothing when the cursor is before the first element.
  void DeleteCurrent();
  // 0-based position of the cursor, -1 before the first element.
  int32_t CurrentPosition() const { return cursor_; }
  // The current element, or nullptr before the first one.
  Item* Current();
  const Item* Current() const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  void Clear();
  // Direct access by position (0 = newest), for readers that do not move the cursor.
  const Item& At(int32_t position) const { return items_.at(static_cast<size_t>(position)); }
  Item& At(int32_t position) { return items_.at(static_cast<size_t>(position)); }
  // True when an item of that name is in the list.
  bool ContainsName(const std::string& name) const;
  // The position of the item of that name; -1 when there is none.
  int32_t PositionOf(const std::string& name) const;

 private:
  std::vector<Item> items_;
  int32_t cursor_ = -1;
};

// Which items the list's rows show: every item in order, or while a find is active only the
// items that match it, still in order. Rows and item positions count from 0.
class RowView {
 public:
  bool Filtered() const { return filtered_; }
  // Every item has its row again.
  void ShowAll();
  // Only the items at these positions (increasing) have rows.
  void ShowOnly(std::vector<int32_t> positions);
  int32_t Count(int32_t itemCount) const;
  // The position of the item that row `row` shows; -1 for no such row.
  int32_t ItemAt(int32_t row, int32_t itemCount) const;
  // The row that shows the item at `position`; -1 when no row shows it.
  int32_t RowOf(int32_t position, int32_t itemCount) const;
  // An item went in at `position`, the items from there on moved one down; `shown` says whether
  // a filtered view shows it. The new item's row, -1 when it has none.
  int32_t Inserted(int32_t position, bool shown);
  // The item at `position` went, the items after it moved one up. The row it had, or -1.
  int32_t Removed(int32_t position);
  // While filtered: the positions shown.
  const std::vector<int32_t>& Shown() const { return shown_; }

 private:
  bool filtered_ = false;
  std::vector<int32_t> shown_;  // while filtered: the positions shown, increasing
};

struct CollectionState {
  ItemList Items;
  RowView Rows;                  // which items the rows show
  std::string CaptureTime;       // "hh:mm:ss" of the last name made
  std::string LastItemName;      // the last name made, so that the next one never repeats it
  int32_t HighlightedIndex = -1; // row with the selection frame, -1 for none
};

extern CollectionState Collection;

// Deletes the current item of the list with everything that belongs to it (files, row, slot,
// list element). Supplied by the caller.
using DeleteCurrentFunction = std::function<void()>;

// How many items are not pinned: the item limit counts only those.
int32_t UnpinnedCount(const ItemList& items);
// Deletes the oldest items that are not pinned until at most maxCount of those remain, then resets
// the cursor; pinned items stay wherever they are. Stops early if the deletion fails to remove an
// element.
void TrimToCount(ItemList& items, int32_t maxCount, const DeleteCurrentFunction& deleteCurrent);
// After a new item went in: the oldest unpinned items go until at most `itemLimit` of them remain.
// A limit below 1 counts as 1.
void TrimToLimit(ItemList& items, int32_t itemLimit, const DeleteCurrentFunction& deleteCurrent);
