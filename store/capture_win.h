// Capture: one clipboard entry or one loaded file becomes new items at the top of the list.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/clipboard_formats_win.h"
#include "store/slow_sources.h"

// What capture remembers between calls so that it never records the program's own clipboard
// content, nor the same text twice in a row.
struct CaptureState {
  HBITMAP LastOwnBitmap = nullptr;  // last bitmap seen or placed on the clipboard by the program
  HANDLE LastOwnText = nullptr;     // last CF_TEXT handle the program placed on the clipboard
  std::wstring LastCapturedText;    // the last text item captured, as it was copied
  int TextColourToggle = 0;         // picks the colour of the next text thumbnail
  // The file name of the program the entry being added was copied from; empty for a loaded file
  // or a clipboard without an owner.
  std::string SourceProgram;
};
extern CaptureState Capture;

// The executable's file name of a process ("notepad.exe"), "" when it cannot be asked.
std::string ProgramOfProcess(DWORD processId);

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

// Which formats one read of the clipboard asks for. Once a format took long to arrive, the
// optional formats still to come are skipped; a program that was slow to render an optional
// format is not asked for it again (nor for the optional formats after it).
struct ReadBudget {
  SlowSources* slow = nullptr;  // nullptr: nothing is remembered
  DWORD ownerProcess = 0;       // the clipboard owner's process, 0 when unknown
  bool slowSeen = false;

  // True when the optional format is to be skipped.
  bool Skips(UINT format);
  // Notes how long a format took; `optional` ones that were slow are remembered for the program.
  void Took(UINT format, bool optional, DWORD ms);

 private:
  // The owner's executable file name, asked for only when a slow format is looked up or noted.
  const std::string& Program();
  std::string program_;
  bool named_ = false;
};

// What capture takes from the clipboard while it holds it open. It owns its picture.
struct ClipboardEntry {
  ClipboardEntry() = default;
  ~ClipboardEntry();
  ClipboardEntry(ClipboardEntry&& other) noexcept;
  ClipboardEntry& operator=(ClipboardEntry&& other) noexcept;
  ClipboardEntry(const ClipboardEntry&) = delete;
  ClipboardEntry& operator=(const ClipboardEntry&) = delete;

  bool own = false;             // the program's own change: it makes no item
  DWORD ownerProcess = 0;       // the clipboard owner's process, 0 when it has none
  std::string sourceProgram;    // its executable's file name, asked once the clipboard is closed
  HANDLE textHandle = nullptr;  // the CF_TEXT handle as offered, for the own-text guard
  bool textReadable = false;
  CopiedText text;
  HBITMAP bitmapHandle = nullptr;  // the CF_BITMAP handle as offered, for the own-picture guard
  HBITMAP picture = nullptr;       // a copy of its pixels (a DIB section), nullptr for none
  // The blocks a picture came in beside (or instead of) CF_BITMAP, decoded once the clipboard is
  // closed: "PNG", and CF_DIBV5 or CF_DIB. Empty for none.
  std::vector<uint8_t> pngBlock;
  std::vector<uint8_t> dibBlock;
};
// Reads what capture needs from the clipboard that the caller holds open, the cheap and needed
// formats first: the texts, then the picture, then rich text and HTML. `offered` is listed from
// it. Changes nothing on the clipboard, and touches no state of the window's thread.
ClipboardEntry ReadClipboardEntry(ReadBudget& budget, const OfferedFormats& offered);
// Makes the items of an entry read, on the window's thread; takes its picture over.
void AddClipboardEntry(ClipboardEntry& entry);

// From the clipboard, which the caller holds open: the CF_BITMAP and CF_TEXT handles as
// GetClipboardData gave them, either may be null. The clipboard is closed here as soon as
// everything is read, before any file is written; the caller's own close then finds it closed.
void CaptureEntry(HBITMAP bitmap, HANDLE text);
// From a loaded file: an image number (0 for none), which capture takes over and releases, and/or
// a text (nullptr for none), which stays the caller's. The clipboard is not touched.
void CaptureEntry(int image, const std::string* text);
// A text from a loaded file, with the Unicode text it holds.
void CaptureLoadedText(const CopiedText& text);

// Plays the capture chime built into the program, without waiting for it to end.
void PlayNotificationSound();
