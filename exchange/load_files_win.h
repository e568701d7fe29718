// Loading picture and text files as new items: from the open requester and by drag and drop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// Asks for files and turns each picture or text into an item.
void LoadFilesAsItems();

// How the message about a text file too large to load is shown.
enum class SizeMessage {
  Plain,
  // The topmost main window steps out of the topmost band while the message shows, so that the
  // box cannot end up behind it.
  BelowMainWindow,
};
// Loads one file: "bmp", "jpg" and "png" as a picture, anything else as text (at most 63,999
// bytes, up to its first zero byte).
void AddFileAsItem(const std::string& path, const std::string& extension, SizeMessage sizeMessage = SizeMessage::Plain);

// The full path of the index-th file of a drop.
std::string DroppedFileName(HDROP drop, UINT index);
// Handles files dropped on the main window; ends with DragFinish and the window in front. Returns
// the board file among them to import (of several, the last), "" for none.
std::string HandleDroppedFiles(HDROP drop);
