// The item list across runs: items.dat at start-up, and what shutdown leaves in the working directory.
#pragma once

// Fills Store.Items, the list rows, thumbnails and check marks from items.dat.
void LoadStoredItems();
// Writes items.dat from the item list and the rows' check marks.
void WriteStoredItems();
// Deletes every file of the working directory; folders stay.
void EmptyWorkingDirectory();
