// The collection across runs: items.dat read at start-up and written when asked.
#pragma once

#include <string>

#include "store/items_file.h"

// items.dat read while the caller goes on (the main window is built meanwhile). Nothing of the
// program's state is touched until it is loaded. The thumbnails are read as their rows are drawn.
class StoredItemsReading {
 public:
  StoredItemsReading();
  ~StoredItemsReading();
  StoredItemsReading(const StoredItemsReading&) = delete;
  StoredItemsReading& operator=(const StoredItemsReading&) = delete;

 private:
  friend void LoadStoredItems(StoredItemsReading& reading);

  bool loaded_ = false;  // items.dat could be read
  StoredItems stored_;
};

// Adds the items that `reading` read to the collection, with their check marks.
void LoadStoredItems(StoredItemsReading& reading);
// Reads items.dat and adds its items at once.
void LoadStoredItems();
// Where items.dat lies: in the working folder.
std::string ItemsFilePath();
// Writes items.dat from the collection; false when it could not be written.
bool WriteStoredItems();
