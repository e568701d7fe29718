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
// The text of the file type shown.
std::string FileRequesterPatternText(HWND dialog);
// Presses Cancel.
void CancelRequester(HWND dialog);

// Presses OK in the folder requester, taking the folder it opened with.
void AcceptFolderRequester(HWND dialog);
