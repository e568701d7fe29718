// What the user does with stored items: put one back on the clipboard, or paste it.
#pragma once

#include <cstdint>
#include <string>

// What goes on the clipboard for a text item: everything it keeps (rich text and HTML too), or
// its text alone (ANSI and Unicode), as "paste as plain text" asks. A picture is always whole.
enum class PasteFormats { Everything, PlainText };

// What became of putting an item on the clipboard.
enum class PutResult {
  Placed,         // the item is on the clipboard
  NothingToPut,   // the item is gone, or its file is missing or empty: the clipboard is as it was
  ClipboardBusy,  // another program held the clipboard for longer than the program waits
};

// Puts the item of that name back on the clipboard.
PutResult PutItemToClipboard(const std::string& name, PasteFormats formats = PasteFormats::Everything);

// What became of a paste.
enum class PasteResult { NotPasted, Pasted, PastedAndDeleted };
// Puts the item of that name on the clipboard and pastes it into the window behind the program.
// PastedAndDeleted when it was then deleted, as "Delete after paste" asks for checked items (the
// caller selects its neighbour). When the item did not reach the clipboard nothing is pasted and
// nothing deleted: NotPasted (the caller tells the user when the clipboard was busy, `busy`).
PasteResult PasteItem(const std::string& name, PasteFormats formats, bool& busy);
