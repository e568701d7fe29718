// Capture: one clipboard entry or one loaded file becomes new items at the top of the list.
#pragma once

#include <windows.h>

#include <string>

// What capture remembers between calls so that it never records the program's own clipboard
// content, nor the same text twice in a row.
struct CaptureState {
  HBITMAP LastOwnBitmap = nullptr;  // last bitmap seen or placed on the clipboard by the program
  // The captured picture the program offers on the clipboard until another program empties it:
  // CF_BITMAP is made from it only when somebody asks (delayed rendering). It shares its pixels
  // with the item's picture. OfferingWindow is the clipboard owner that answers for it.
  HBITMAP OfferedPicture = nullptr;
  HWND OfferingWindow = nullptr;
  HANDLE LastOwnText = nullptr;     // last CF_TEXT handle the program placed on the clipboard
  std::string LastCapturedText;     // text of the last text item captured
  int TextColourToggle = 0;         // picks the colour of the next text thumbnail
};
extern CaptureState Capture;

// What capture takes from the clipboard while it holds it open.
struct ClipboardEntry {
  HANDLE textHandle = nullptr;  // the CF_TEXT handle as offered, for the own-text guard
  bool textReadable = false;
  std::string text;
  int picture = 0;  // the program's own copy of the bitmap, 0 for none
};
// Reads the text and takes the bitmap (putting the program's own copy back on the clipboard),
// from the clipboard that the caller holds open. Either handle may be null.
ClipboardEntry TakeClipboardEntry(HBITMAP bitmap, HANDLE text);
// Makes the items of an entry taken, after the clipboard was closed.
void AddClipboardEntry(const ClipboardEntry& entry);

// From the clipboard, which the caller holds open: the CF_BITMAP and CF_TEXT handles as
// GetClipboardData gave them, either may be null. A bitmap puts the program's own copy of the
// picture back on the clipboard (and only that). The clipboard is closed here as soon as the text
// and the pixels are copied, before any file is written; the caller's own close then finds it
// closed already.
void CaptureEntry(HBITMAP bitmap, HANDLE text);
// From a loaded file: an image number (0 for none), which capture takes over and releases, and/or
// a text (nullptr for none), which stays the caller's. The clipboard is not touched.
void CaptureEntry(int image, const std::string* text);

// Plays the capture chime built into the program, without waiting for it to end.
void PlayNotificationSound();
