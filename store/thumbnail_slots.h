// Which item's thumbnail sits in which slot of a bounded image list. The list shows thousands of
// items but holds the thumbnails of a few pages: a row drawn takes a free slot, else the one used
// longest ago.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

class ThumbnailSlots {
 public:
  explicit ThumbnailSlots(int32_t capacity);

  int32_t Capacity() const { return capacity_; }
  // The slot holding the item's thumbnail, -1 when it holds none; a slot found counts as used now.
  int32_t Find(const std::string& name);
  // Whether a slot holds the item's thumbnail; does not count as a use.
  bool Holds(const std::string& name) const { return byName_.count(name) != 0; }
  // A slot for the item's thumbnail, which the caller then puts there: a free one, else the one
  // used longest ago, whose item loses it. The item's own slot when it has one already.
  int32_t Assign(const std::string& name);
  // The item's slot becomes free (the item went).
  void Forget(const std::string& name);
  // Every slot becomes free.
  void Clear();

 private:
  struct Holder {
    std::string name;
    int32_t slot;
  };
  int32_t capacity_;
  std::list<Holder> used_;  // most recently used first
  std::unordered_map<std::string, std::list<Holder>::iterator> byName_;
  std::vector<int32_t> free_;
};
