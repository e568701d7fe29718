#include "store/stored_items_win.h"

#include <memory>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "store/collection_win.h"
#include "store/thumbnail_reader.h"
#include "store/thumbnail_win.h"

StoredItemsReading::StoredItemsReading() {
  loaded_ = LoadItemsFile(ItemsFilePath(), stored_);
  if (!loaded_) return;
  thumbnails_.reserve(stored_.items.size());
  for (const StoredItem& record : stored_.items) {
    thumbnails_.push_back(NewItemFilePath(record.name, record.kind, ItemFile::Thumbnail));
  }
  reader_ = std::make_unique<ThumbnailReader>(thumbnails_, ThumbWidth, ThumbHeight);
}

StoredItemsReading::~StoredItemsReading() = default;

void LoadStoredItems(StoredItemsReading& reading) {
  if (!reading.loaded_) return;
  ThumbnailReader& reader = *reading.reader_;
  AppendItems(reading.stored_.items, [&reader](size_t index, PixelImage& pixels) { return reader.Take(index, pixels); });
  // The helpers are done: their threads end now rather than when the start-up ends.
  reading.reader_.reset();
}

void LoadStoredItems() {
  StoredItemsReading reading;
  LoadStoredItems(reading);
}

std::string ItemsFilePath() { return WorkingPath("items.dat"); }

bool WriteStoredItems() { return SaveItemsFile(ItemsFilePath(), CollectionRecords()); }
