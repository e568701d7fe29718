// Process-wide values set at start-up: folders, screen size, fonts, the single-instance mutex.
#pragma once

#include <windows.h>

#include <array>
#include <string>

struct AppState {
  std::string AppDir;            // the executable's folder with its trailing backslash
  std::string TempDir;           // the user's temporary folder with its trailing backslash
  int ScreenWidth = 0;           // primary screen size at start
  int ScreenHeight = 0;
  std::string CommandLineBoard;  // first command-line parameter, kept only when it names a board
  // Extension of an image item's picture file, by CompressImages; both stay ".bmp".
  std::array<std::string, 2> ImageExtensions;
  HFONT ThumbFont = nullptr;     // Arial 13 pixels, drawn into thumbnails
  int CaptionFontBold = 0;       // layer font numbers: Arial 12 pt bold, Arial 10 pt
  int CaptionFont = 0;
  HANDLE Mutex = nullptr;        // "kepsil", held for the whole run
  HANDLE Heap = nullptr;         // the program's private heap
};

extern AppState App;

// AppDir + "Clipboard\" + name: every file of the program lives there.
std::string WorkingPath(const std::string& name);
// AppDir + "Clipboard" without a trailing backslash.
std::string WorkingDirectory();
