#include "store/stored_items_win.h"

#include <string>

#include "core/app_state.h"
#include "store/collection_win.h"

StoredItemsReading::StoredItemsReading() { loaded_ = LoadItemsFile(ItemsFilePath(), stored_); }

StoredItemsReading::~StoredItemsReading() = default;

void LoadStoredItems(StoredItemsReading& reading) {
  if (reading.loaded_) AppendItems(reading.stored_.items);
}

void LoadStoredItems() {
  StoredItemsReading reading;
  LoadStoredItems(reading);
}

std::string ItemsFilePath() { return WorkingPath("items.dat"); }

bool WriteStoredItems() { return SaveItemsFile(ItemsFilePath(), CollectionRecords()); }
