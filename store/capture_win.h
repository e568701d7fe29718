// Capture: one clipboard entry or one loaded file becomes new items at the top of the list.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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
  std::wstring LastCapturedText;    // the last text item captured, as it was copied
  int TextColourToggle = 0;         // picks the colour of the next text thumbnail
  // Fingerprint of the "PNG" or DIB block the last picture item without a bitmap came from, 0 for
  // none: such a picture stays on the clipboard as its owner put it, and a repeated announcement
  // of the same content makes no second item.
  uint64_t LastPictureBlock = 0;
  // The file name of the program the entry being added was copied from; empty for a loaded file
  // or a clipboard without an owner.
  std::string SourceProgram;
};
extern CaptureState Capture;

// A text as it was copied: the ANSI bytes that NAME.txt holds and, when they cannot hold it, the
// text itself; the rich text and HTML offered with it.
struct CopiedText {
  std::string ansi;               // in the system's ANSI code page, as offered or converted
  std::wstring unicode;           // empty when the ANSI text says it all (see KeptUnicode)
  std::vector<uint8_t> richText;  // "Rich Text Format", empty for none
  std::vector<uint8_t> html;      // "HTML Format", empty for none

  // The text as copied, which tells two texts apart.
  std::wstring Real() const;
};

// The Unicode text an item keeps beside its ANSI text: the text as copied whenever it holds any
// letter beyond ASCII (so that it reads the same on a system of another code page) or differs
// from the ANSI text; empty otherwise.
std::wstring KeptUnicode(const std::string& ansi, std::wstring unicode);

// What capture takes from the clipboard while it holds it open.
struct ClipboardEntry {
  HANDLE textHandle = nullptr;  // the CF_TEXT handle as offered, for the own-text guard
  bool textReadable = false;
  CopiedText text;
  int picture = 0;  // the program's own copy of the bitmap, 0 for none
  // The blocks a picture came in beside (or instead of) CF_BITMAP, decoded once the clipboard is
  // closed: "PNG", and CF_DIBV5 or CF_DIB. Empty for none.
  std::vector<uint8_t> pngBlock;
  std::vector<uint8_t> dibBlock;
};
// Reads the texts and the picture's blocks and takes the bitmap (putting the program's own copy
// back on the clipboard), from the clipboard that the caller holds open. Either handle may be null.
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
// A text from a loaded file, with the Unicode text it holds.
void CaptureLoadedText(const CopiedText& text);

// Plays the capture chime built into the program, without waiting for it to end.
void PlayNotificationSound();
