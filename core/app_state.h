// Process-wide facts set at start-up: the program's folders, the screen size, the board named on
// the command line.
#pragma once

#include <string>

// Every path is a program path (UTF-8).
struct AppState {
  std::string AppDir;            // the executable's folder with its trailing backslash
  std::string ProgramPath;       // the executable itself
  std::string DataDir;           // the folder that holds "Clipboard\" (AppDir, or the user's own
                                 // application-data folder where AppDir cannot be written)
  std::string TempDir;           // the user's temporary folder with its trailing backslash
  int ScreenWidth = 0;           // primary screen size at start
  int ScreenHeight = 0;
  std::string CommandLineBoard;  // first command-line parameter, kept only when it names a board
};

extern AppState App;

// DataDir + "Clipboard\" + name: every file of the program lives there.
std::string WorkingPath(const std::string& name);
// DataDir + "Clipboard" without a trailing backslash.
std::string WorkingDirectory();
