// Loading picture and text files as new items: from the open requester and by drag and drop.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Asks for files and turns each picture or text into an item.
void LoadFilesAsItems();
// Handles files dropped on the main window; ends with DragFinish and the window in front.
void HandleDroppedFiles(HDROP drop);
