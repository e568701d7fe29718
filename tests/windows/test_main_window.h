// The program's main window built in the test process as start-up builds it, and the throwaway
// working folders the in-process tests give it.
#pragma once

#include <string>
#include <vector>

// Window layer, image services, screen size, fonts, English texts, then BuildMainWindow. One
// window serves a whole suite: creating and destroying shown windows is slow under a display
// without a window manager.
void BuildMainWindowForTests();
// Undoes BuildMainWindowForTests: window hook, tray icon, clipboard chain, window, image list,
// text icon and thumbnail font.
void DisposeMainWindowForTests();
// Empties the collection's records, rows and thumbnail slots; the window stays.
void EmptyCollectionForTests();

// A new, empty folder under the temporary folder; the path ends in a backslash.
std::string NewTempFolder(const std::string& prefix);
// The names of the files (not folders) directly in `folder`, which ends in a backslash, sorted.
std::vector<std::string> FilesIn(const std::string& folder);
// Deletes the files in the working folder, the working folder and App.AppDir itself.
void RemoveWorkingFolder();
