// Modal requesters: folder, open and save file, message box, one-line text.
// While one is open every other enabled window of the thread is disabled.
#pragma once

#include <string>

// Returns the folder with a trailing backslash, or "" when cancelled.
std::string AskFolder(const std::string& title, const std::string& initialFolder);
// patterns: "description|pattern|description|pattern..."; patternIndex is 0-based.
// Returns the full path of the (first) chosen file, or "" when cancelled.
std::string AskOpenFile(const std::string& title, const std::string& defaultPath,
                        const std::string& patterns, int patternIndex, bool multiple);
// The next file of a multiple selection, "" after the last.
std::string NextChosenFile();
std::string AskSaveFile(const std::string& title, const std::string& defaultPath,
                        const std::string& patterns, int patternIndex);
// 0-based pattern pair chosen in the last file requester.
int ChosenPatternIndex();
// MessageBoxA flags; returns the button id (IDYES is 6).
int ShowMessage(const std::string& title, const std::string& text, unsigned flags);
// Return or "Ok" gives the edited text, Escape or closing gives "".
std::string AskText(const std::string& title, const std::string& prompt, const std::string& defaultText);
