// Carries out menu commands and keyboard shortcuts of the main window.
#pragma once

#include <cstdint>
#include <string>

#include "store/item_actions.h"

// One command or shortcut id; ids that are no command are ignored.
void DispatchCommand(int32_t id);
// Deletes the item of that name, fits the column and selects the neighbour of the row it had.
void DeleteOneItem(const std::string& item);
// Pastes the item of `row` (a double click or Return; with Shift held, its text alone); with "Show
// after paste" the window shows again, on the neighbour row when the item was deleted after the
// paste. A clipboard another program holds is said in the status bar, and nothing changes.
void PasteRow(int32_t row, PasteFormats formats = PasteFormats::Everything);
// Asks for a new item limit and trims the store to it when the answer is accepted.
void AskItemLimit();
