#include "store/thumbnail_slots.h"

#include <algorithm>

ThumbnailSlots::ThumbnailSlots(int32_t capacity) : capacity_(std::max<int32_t>(1, capacity)) { Clear(); }

int32_t ThumbnailSlots::Find(const std::string& name) {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return -1;
  used_.splice(used_.begin(), used_, found->second);
  return found->second->slot;
}

int32_t ThumbnailSlots::Assign(const std::string& name) {
  const int32_t own = Find(name);
  if (own >= 0) return own;
  int32_t slot = 0;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    slot = used_.back().slot;
    byName_.erase(used_.back().name);
    used_.pop_back();
  }
  used_.push_front(Holder{name, slot});
  byName_[name] = used_.begin();
  return slot;
}

void ThumbnailSlots::Forget(const std::string& name) {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return;
  free_.push_back(found->second->slot);
  used_.erase(found->second);
  byName_.erase(found);
}

void ThumbnailSlots::Clear() {
  used_.clear();
  byName_.clear();
  free_.clear();
  // Lowest slots first.
  for (int32_t slot = capacity_ - 1; slot >= 0; --slot) free_.push_back(slot);
}
