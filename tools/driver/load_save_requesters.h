// Answering the program's file and folder requesters from outside, as a user does.
#pragma once

#include <windows.h>

#include <string>

// Picks the file type (0-based, -1 keeps the current one), types `fileName` into the file name
// box and presses Enter. False when the dialog has no file name box.
bool AnswerFileRequester(HWND dialog, const std::string& fileName, int patternIndex = -1);
// What the file name box holds now (the default the program offered).
std::string FileRequesterName(HWND dialog);
// The 0-based file type shown, -1 when there is no type box.
int FileRequesterPattern(HWND dialog);
// The text of each file type entry, in order.
std::string FileRequesterPatternText(HWND dialog, int index);
// Presses Cancel.
void CancelRequester(HWND dialog);

// Types the folder into the folder requester's edit box (when `folder` is not empty) and presses
// OK; an empty folder accepts the folder the requester opened with.
bool AnswerFolderRequester(HWND dialog, const std::string& folder);
