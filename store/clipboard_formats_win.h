// The clipboard formats beyond CF_TEXT and CF_BITMAP that capture keeps and put back offers again,
// and reading their blocks from the clipboard that the caller holds open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The registered formats, registered on first use from any thread (0 when that fails).
UINT RichTextFormat();  // "Rich Text Format"
UINT HtmlFormat();      // "HTML Format"
UINT PngFormat();       // "PNG"

// The formats the open clipboard offers, listed in one round trip to the system where it can,
// instead of one for each format asked about while other programs wait for the clipboard. Ask it
// only about registered formats: the system may not list those it makes from others.
class OfferedFormats {
 public:
  // Lists them; when the system cannot list them, Has asks the clipboard each time.
  static OfferedFormats List();
  bool Has(UINT format) const;

 private:
  std::vector<UINT> formats_;
  bool listed_ = false;
};

// The bytes of the format's block, read no further than the block. A text format ends at its first
// zero. False (and nothing) when the format is not there, cannot be read, is empty or is larger
// than maxBytes.
bool ReadClipboardBlock(UINT format, size_t maxBytes, std::vector<uint8_t>& bytes, bool endsAtZero = false);
// CF_UNICODETEXT up to its first zero; false when it is not there, cannot be read or holds more
// than maxChars characters.
bool ReadClipboardUnicode(size_t maxChars, std::wstring& text);
// Whether the owner offered `format` itself, before `other`: formats the system makes from others
// are listed after every format that the owner put there.
bool OfferedBefore(UINT format, UINT other);

// Puts a copy of the bytes on the open clipboard in that format; a text format gets a terminating
// zero. Returns the clipboard's handle, nullptr when it could not.
HANDLE PlaceClipboardBlock(UINT format, const void* data, size_t size, bool addZero);
