// Unicode text beside the program's ANSI (code page 1252) texts: UTF-8 and UTF-16 conversions,
// and telling the encoding of a text file the user loads or drops. UTF-16 is held as char16_t;
// the Win32 side reads it as wchar_t, which has the same 16 bits there.
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
