#include "store/collection.h"

#include <algorithm>
#include <utility>

#include "settings/settings.h"

CollectionState Collection;

bool ItemList::Next() {
  if (cursor_ + 1 >= Count()) return false;
  ++cursor_;
  return true;
}

void ItemList::SelectPosition(int32_t position) {
  // What stepping from before the first element position + 1 times gives, without the steps: a
  // long history trimmed from its end would cost a walk through it for every item removed.
  cursor_ = position < 0 ? -1 : std::min(position, Count() - 1);
}

void ItemList::Last() { cursor_ = Count() - 1; }

Item& ItemList::Insert(Item item) {
  const auto at = items_.begin() + (cursor_ + 1);
  auto inserted = items_.insert(at, std::move(item));
  cursor_ = static_cast<int32_t>(inserted - items_.begin());
  return *inserted;
}

void ItemList::DeleteCurrent() {
  if (!Current()) return;
  items_.erase(items_.begin() + cursor_);
  --cursor_;
}

// A cursor left past the end (the list emptied behind its back) counts as no current element.
Item* ItemList::Current() {
  return cursor_ < 0 || cursor_ >= Count() ? nullptr : &items_[static_cast<size_t>(cursor_)];
}

const Item* ItemList::Current() const {
  return cursor_ < 0 || cursor_ >= Count() ? nullptr : &items_[static_cast<size_t>(cursor_)];
}

void ItemList::Clear() {
  items_.clear();
  cursor_ = -1;
}

bool ItemList::ContainsName(const std::string& name) const {
  return std::any_of(items_.begin(), items_.end(), [&](const Item& item) { return item.name == name; });
}

int32_t ItemList::PositionOf(const std::string& name) const {
  const auto found = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.name == name; });
  return found == items_.end() ? -1 : static_cast<int32_t>(found - items_.begin());
}

void RowView::ShowAll() {
  filtered_ = false;
  shown_.clear();
}

void RowView::ShowOnly(std::vector<int32_t> positions) {
  filtered_ = true;
  shown_ = std::move(positions);
}

int32_t RowView::Count(int32_t itemCount) const {
  return filtered_ ? static_cast<int32_t>(shown_.size()) : itemCount;
}

int32_t RowView::ItemAt(int32_t row, int32_t itemCount) const {
  if (row < 0 || row >= Count(itemCount)) return -1;
  return filtered_ ? shown_[static_cast<size_t>(row)] : row;
}

int32_t RowView::RowOf(int32_t position, int32_t itemCount) const {
  if (position < 0 || position >= itemCount) return -1;
  if (!filtered_) return position;
  const auto found = std::lower_bound(shown_.begin(), shown_.end(), position);
  return found != shown_.end() && *found == position ? static_cast<int32_t>(found - shown_.begin()) : -1;
}

int32_t RowView::Inserted(int32_t position, bool shown) {
  if (!filtered_) return position;
  auto at = std::lower_bound(shown_.begin(), shown_.end(), position);
  for (auto later = at; later != shown_.end(); ++later) ++*later;
  if (!shown) return -1;
  const auto row = at - shown_.begin();
  shown_.insert(at, position);
  return static_cast<int32_t>(row);
}

int32_t RowView::Removed(int32_t position) {
  if (!filtered_) return position;
  auto at = std::lower_bound(shown_.begin(), shown_.end(), position);
  int32_t row = -1;
  if (at != shown_.end() && *at == position) {
    row = static_cast<int32_t>(at - shown_.begin());
    at = shown_.erase(at);
  }
  for (auto later = at; later != shown_.end(); ++later) --*later;
  return row;
}

int32_t UnpinnedCount(const ItemList& items) {
  int32_t unpinned = 0;
  for (int32_t position = 0; position < items.Count(); ++position) {
    if (!items.At(position).pinned) ++unpinned;
  }
  return unpinned;
}

void TrimToCount(ItemList& items, int32_t maxCount, const DeleteCurrentFunction& deleteCurrent) {
  if (maxCount < 0) maxCount = 0;
  int32_t unpinned = UnpinnedCount(items);
  for (int32_t position = items.Count() - 1; unpinned > maxCount && position >= 0; --position) {
    if (items.At(position).pinned) continue;
    const int32_t before = items.Count();
    items.SelectPosition(position);
    deleteCurrent();
    // A deletion that removed nothing would loop forever.
    if (items.Count() >= before) break;
    --unpinned;
  }
  items.Reset();
}

void TrimToLimit(ItemList& items, int32_t itemLimit, const DeleteCurrentFunction& deleteCurrent) {
  TrimToCount(items, BoundItemLimit(itemLimit), deleteCurrent);
}
