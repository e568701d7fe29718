// The steps every captured item goes through once its thumbnail is drawn, shared by the image
// and the text part of capture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// Writes the item's own file (picture or text) for the item name given; false when it failed.
using WriteItemContent = std::function<bool(const std::string& name)>;

// Makes room under the item limit, inserts the item at the head of the list, gives it a thumbnail
// slot (a free one first), writes its thumbnail and its own file, and inserts its row at the top
// (checked when new items are to be). When a file cannot be written the item is withdrawn
// completely: no record, no row, no file left, its slot free again. The thumbnail image stays
// the caller's. True when the item was added.
bool AddCapturedItem(int32_t kind, const std::string& name, int thumbnail, const WriteItemContent& writeContent);

// What follows a new item: the sound when asked for (clipboard items only) and the window shown
// when "Show after copy" is on.
void PlayCaptureSound();
void ShowAfterCapture();

// The two parts of a capture. The image part takes over `fileImage` (from a file) and releases it.
void CaptureFileImage(int fileImage);
// A clipboard bitmap taken with TakeClipboardBitmap becomes an image item (encoded and written)
// after the clipboard is closed, and is released.
void AddClipboardPicture(int picture);
// The text part; `handle` is the clipboard's CF_TEXT handle, nullptr for a text from a file.
void CaptureText(const std::string* text, HANDLE handle);
