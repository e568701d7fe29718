// What capture tests need beyond the plain clipboard driver: entries with a picture and a text,
// the clipboard's raw text block and picture size, thumbnails' pixels, keys pressed system-wide,
// and a second program (notepad) to paste into.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/image/pixel_image.h"

// One clipboard entry holding a one-colour bitmap and a text, as a picture editor offers both.
bool PutClipboardBitmapAndText(int width, int height, COLORREF colour, const std::string& text);
// The clipboard's CF_TEXT block as it is, its terminating zero included; false when there is none.
bool ClipboardTextBlock(std::vector<uint8_t>& bytes);
// Size of the clipboard's CF_BITMAP; false when it holds none.
bool ClipboardBitmapSize(int& width, int& height);
// The colour of one pixel of the clipboard's bitmap; CLR_INVALID when it cannot be read.
COLORREF ClipboardBitmapPixel(int x, int y);

// Decodes a PNG file (whatever its extension says).
bool ReadPngFile(const std::string& path, PixelImage& image);
// The colour at (x, y), counted from the top left.
COLORREF PixelAt(const PixelImage& image, int x, int y);
// The file starts with the PNG signature / with "BM".
bool FileIsPng(const std::string& path);
bool FileIsBmp(const std::string& path);

// Key presses that reach the system's key state, as a keyboard's do (keybd_event).
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);

// Another program started for a test and ended with it.
class HelperProgram {
 public:
  HelperProgram() = default;
  ~HelperProgram();
  HelperProgram(const HelperProgram&) = delete;
  HelperProgram& operator=(const HelperProgram&) = delete;

  bool Start(const std::string& commandLine);
  // Waits for its first visible top-level window (of that class when not empty).
  HWND WaitForWindow(const std::string& className = "", DWORD timeoutMs = 15000);
  DWORD Id() const { return info_.dwProcessId; }
  void End();

 private:
  PROCESS_INFORMATION info_{};
};

// The whole text of a window of another process (WM_GETTEXT).
std::string WindowText(HWND window);
