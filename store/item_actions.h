// What the user does with stored items: put one back on the clipboard, or paste it.
#pragma once

#include <cstdint>

// What goes on the clipboard for a text item: everything it keeps (rich text and HTML too), or
// its text alone (ANSI and Unicode), as "paste as plain text" asks. A picture is always whole.
enum class PasteFormats { Everything, PlainText };

// Puts the current item back on the clipboard.
void PutItemToClipboard(PasteFormats formats = PasteFormats::Everything);
// Puts the item of that row on the clipboard and pastes it into the window behind the program.
// Returns true when the item was deleted after the paste, as "Delete after paste" asks for
// checked items; the caller then selects its neighbour.
bool PasteItem(int32_t row, PasteFormats formats = PasteFormats::Everything);
// Makes row `row` the current element of Collection.Items.
void MakeRowCurrent(int32_t row);
