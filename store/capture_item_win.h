// What every captured item goes through, shared by the image and the text part of capture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/capture_win.h"
#include "store/collection_win.h"

// Adds the item at the top of the collection, checked when new items are to be.
bool AddCapturedItem(int32_t kind, const std::string& name, int thumbnail, const WriteItemContent& writeContent,
                     const std::vector<ItemExtra>& extras = {});

// What follows a new item: the sound when asked for (clipboard items only) and the window shown
// when "Show after copy" is on.
void PlayCaptureSound();
void ShowAfterCapture();

// The two parts of a capture. The image part takes over `fileImage` (from a file) and releases it.
void CaptureFileImage(int fileImage);
// A clipboard picture becomes an image item (encoded and written) after the clipboard is closed:
// the image made from the copied bitmap (0 for none), which is released, else the picture the
// "PNG" or DIB block holds. A picture with transparency keeps its original as an extra. The chime
// starts it.
void AddClipboardPicture(int picture, const std::vector<uint8_t>& pngBlock, const std::vector<uint8_t>& dibBlock);
// The text part; `handle` is the clipboard's CF_TEXT handle, nullptr for a text from a file.
void CaptureText(const CopiedText* text, HANDLE handle);
