// The program's one place for converting text between encodings (with core/code_page_win.h for
// the system's ANSI code page). The program's own strings (paths, interface texts, messages) are
// UTF-8; what the file formats define as ANSI (a text item's .txt, CF_TEXT) is kept as bytes in
// the system's code page. UTF-16 is held as char16_t; the Win32 side reads it as wchar_t, which
// has the same 16 bits there.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Strict UTF-8 to UTF-16. False, with `out` unspecified, for anything that is not well-formed
// UTF-8: stray or missing continuation bytes, overlong forms, surrogates, code points above
// U+10FFFF, a sequence cut off by the end.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);
// UTF-16 to UTF-8. A surrogate without its partner becomes U+FFFD, so the result is always valid.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16 that never fails: each ill-formed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16Lossy(std::string_view utf8);
// How many UTF-16 units the UTF-8 text takes (as Utf8ToUtf16Lossy would give).
std::size_t Utf16Length(std::string_view utf8);
// Code page 1252 (the bytes the interface texts are written in) as UTF-8, whatever the system's
// code page: 0x80..0x9F are the Windows-1252 letters and signs, the rest Latin-1.
std::string Cp1252ToUtf8(std::string_view text);
// The UTF-8 text in code page 1252; false when it holds a letter that code page has not.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

bool IsValidUtf8(std::string_view text);
// Whether any byte is outside 7-bit ASCII.
bool HasNonAscii(std::string_view text);

enum class TextFileEncoding {
  Ansi,     // no byte-order mark and not UTF-8 beyond ASCII: the bytes are the text as they are
  Utf8,     // a UTF-8 byte-order mark and valid UTF-8, or valid UTF-8 with non-ASCII characters
  Utf16Le,  // byte-order mark FF FE
  Utf16Be,  // byte-order mark FE FF
};

// Tells how a text file's bytes are encoded. For the Unicode encodings `unicode` receives the
// text without its byte-order mark; for Ansi it is cleared. A UTF-8 byte-order mark followed by
// invalid UTF-8 is Ansi (the file is taken as it is, mark included). A UTF-16 file with an odd
// number of bytes after its mark has lost half a character at its end: that byte is dropped.
TextFileEncoding DetectTextFile(std::span<const uint8_t> bytes, std::u16string& unicode);

// The contents of a text file that holds `utf8`: the UTF-8 byte-order mark, then the bytes. For
// texts the ANSI code page cannot hold, so that editors open the file as UTF-8.
std::vector<uint8_t> Utf8FileWithBom(std::string_view utf8);
