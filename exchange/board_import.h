// Replacing the collection with the items of a board file.
#pragma once

#include <string>

enum class BoardImport {
  Imported,   // the collection now holds the board's items
  NotChosen,  // the user cancelled the requester, or the file cannot be opened
  Refused,    // the file is no board, a damaged one, or one whose files could not be written:
              // the collection is as it was
};

// Imports the board at `path`; an empty path asks the user for the file. The board is read one
// entry at a time into a staging folder, and only a board read and checked whole replaces the
// collection; a damaged one is refused with a message that says so (a file that is no board at
// all, quietly), and so is one whose files could not be written. The window answers throughout
// (a progress window shows once the import takes a while); commands wait for its end.
BoardImport ImportBoard(const std::string& path);
