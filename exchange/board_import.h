// Replacing the collection with the items of a board file.
#pragma once

#include <string>

enum class BoardImport {
  Imported,   // the collection now holds the board's items
  NotChosen,  // the user cancelled the requester, or the file cannot be opened
  Refused,    // the file is no board, or a damaged one: the collection is as it was
};

// Imports the board at `path`; an empty path asks the user for the file. The whole board is
// checked before the collection is touched; a damaged one is refused with a message that says so
// (a file that is no board at all, quietly).
BoardImport ImportBoard(const std::string& path);
