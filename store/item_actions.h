// What the user does with stored items: put back, paste, delete one or all checked.
// They work on the current element of Store.Items and keep list rows, slots and files in step.
#pragma once

#include <cstdint>

// Puts the current item back on the clipboard.
void PutItemToClipboard();
// Puts the item of that row on the clipboard and pastes it into the window behind the program.
void PasteItem(int32_t row);
// Deletes the current item: its row, its files, its list element; its slot becomes free.
void DeleteCurrentItem();
// Deletes every item whose row is checked, in one pass, then fits the column width.
void DeleteCheckedItems();
// Makes row `row` the current element of Store.Items.
void MakeRowCurrent(int32_t row);
// Empties the store before a board replaces it: items, rows, free slots, capture's memory and every
// file of the working directory go; the thumbnail image list is made anew and shown by the list.
void ResetStore();
