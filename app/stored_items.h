// The item list across runs: items.dat at start-up, and what shutdown leaves in the working directory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/items_file.h"

class ThumbnailReader;

// items.dat read, and its thumbnails being read by helper threads while the caller goes on (the
// main window is built meanwhile). Nothing of the program's state is touched until it is loaded.
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
  std::vector<std::string> thumbnails_;
  std::unique_ptr<ThumbnailReader> reader_;
};

// Fills Store.Items, the list rows, thumbnails and check marks from what `reading` read.
void LoadStoredItems(StoredItemsReading& reading);
// Reads items.dat and fills the list from it at once.
void LoadStoredItems();
// The item list with the rows' check marks, as items.dat holds it.
std::vector<StoredItem> CurrentStoredItems();
// Writes items.dat from the item list and the rows' check marks.
void WriteStoredItems();
// Deletes every file of the working directory; folders stay.
void EmptyWorkingDirectory();
