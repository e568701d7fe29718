// The item list across runs: items.dat at start-up, and what shutdown leaves in the working directory.
#pragma once

#include <vector>

#include "app/items_file.h"

// Fills Store.Items, the list rows, thumbnails and check marks from items.dat.
void LoadStoredItems();
// The item list with the rows' check marks, as items.dat holds it.
std::vector<StoredItem> CurrentStoredItems();
// Writes items.dat from the item list and the rows' check marks.
void WriteStoredItems();
// Deletes every file of the working directory; folders stay.
void EmptyWorkingDirectory();
