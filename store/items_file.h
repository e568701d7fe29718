// items.dat: the item list's order, kinds and check marks across runs.
// A 32-bit count, then per item: kind (int32), checked (int32), name, zero byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StoredItem {
  int32_t kind = 0;     // 0 image item, 1 text item
  int32_t checked = 0;  // 1 when the row had its check mark
  std::string name;
};

struct StoredItems {
  std::vector<StoredItem> items;  // list order, newest first
  int32_t skipped = 0;            // records dropped: unsafe or repeated name, unknown kind
  bool truncated = false;         // the file ended before the count it announced
};

// Longest item name accepted; the program's own names are about twenty characters.
inline constexpr size_t MaxItemNameLength = 200;

// True when `name` can only name files inside the working directory: not empty, not overlong, no
// path separators, drive colon, "..", characters Windows forbids in file names, trailing dot or
// blank, or a device name (CON, NUL, COM1, ...).
bool IsSafeItemName(const std::string& name);

// Reads the records; stops at the end of the data whatever the count says.
StoredItems ParseItemsFile(const uint8_t* data, size_t size);
std::vector<uint8_t> SerializeItemsFile(const std::vector<StoredItem>& items);

// Reads items.dat; false (and no items) when it cannot be read.
bool LoadItemsFile(const std::string& path, StoredItems& items);
// Writes items.dat by way of a temporary file; false when it could not be written.
bool SaveItemsFile(const std::string& path, const std::vector<StoredItem>& items);
