// What the user does with stored items: put one back on the clipboard, or paste it.
#pragma once

#include <cstdint>

// Puts the current item back on the clipboard.
void PutItemToClipboard();
// Puts the item of that row on the clipboard and pastes it into the window behind the program.
// Returns true when the item was deleted after the paste, as "Delete after paste" asks for
// checked items; the caller then selects its neighbour.
bool PasteItem(int32_t row);
// Makes row `row` the current element of Collection.Items.
void MakeRowCurrent(int32_t row);
