// Replacing the collection with the items of a board file.
#pragma once

#include <string>

// Imports the board at `path`; an empty path asks the user for the file.
void ImportBoard(const std::string& path);
