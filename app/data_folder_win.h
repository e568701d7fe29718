// Where the working folder "Clipboard\" lives: beside the program, as a portable program keeps it,
// or in the user's own application-data folder when the program's folder cannot be written
// (under Program Files, on a read-only share).
#pragma once

#include <string>

// The folder (with its trailing backslash) to hold "Clipboard\": appDir when its "Clipboard\"
// exists or can be made there and can be written, else "%LOCALAPPDATA%\KepSil\", made as needed.
// Leaves no file or folder behind that was not there: a first run stays a first run.
std::string ChooseDataFolder(const std::string& appDir);
