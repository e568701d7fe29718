#include "core/unicode_text.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr uint8_t Utf8Bom[] = {0xEF, 0xBB, 0xBF};

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes the sequence starting at `pos` and moves past it. False for anything ill-formed.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& code) {
  const unsigned char lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    code = lead;
    ++pos;
    return true;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    return false;  // a continuation byte, an overlong two-byte lead (C0, C1) or beyond U+10FFFF
  }
  if (text.size() - pos < length) return false;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[pos + i]);
    if (!IsContinuation(byte)) return false;
    code = code << 6 | (byte & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || IsHighSurrogate(code) || IsLowSurrogate(code)) return false;
  pos += length;
  return true;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | code >> 6));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | code >> 12));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | code >> 18));
    out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

void AppendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out.push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 | code >> 10));
    out.push_back(static_cast<char16_t>(0xDC00 | (code & 0x3FF)));
  }
}

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned bytes map to the
// same code points, as Windows maps them.
constexpr char32_t kCp1252HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(std::span<const uint8_t> bytes, std::span<const uint8_t> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

std::u16string Utf16Units(std::span<const uint8_t> bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned first = bytes[i];
    const unsigned second = bytes[i + 1];
    text.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return text;
}

std::string_view AsChars(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

bool Utf8ToUtf16(std::string_view utf8, std::u16string& out) {
  out.clear();
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code = 0;
    if (!DecodeUtf8(utf8, pos, code)) return false;
    AppendUtf16(out, code);
  }
  return true;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (IsHighSurrogate(code) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10 | (text[++i] - 0xDC00));
    } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
      code = Replacement;
    }
    AppendUtf8(out, code);
  }
  return out;
}

std::u16string Utf8ToUtf16Lossy(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code = 0;
    if (!DecodeUtf8(utf8, pos, code)) {
      // One replacement for the lead byte and the continuation bytes that follow it.
      code = Replacement;
      ++pos;
      while (pos < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[pos]))) ++pos;
    }
    AppendUtf16(out, code);
  }
  return out;
}

std::size_t Utf16Length(std::string_view utf8) { return Utf8ToUtf16Lossy(utf8).size(); }

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kCp1252HighControls[byte - 0x80] : char32_t{byte});
  }
  return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out) {
  out.clear();
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code = 0;
    if (!DecodeUtf8(utf8, pos, code)) return false;
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
      out.push_back(static_cast<char>(code));
      continue;
    }
    const auto* high = std::find(std::begin(kCp1252HighControls), std::end(kCp1252HighControls), code);
    if (high == std::end(kCp1252HighControls)) return false;
    out.push_back(static_cast<char>(0x80 + (high - std::begin(kCp1252HighControls))));
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t code = 0;
    if (!DecodeUtf8(text, pos, code)) return false;
  }
  return true;
}

bool HasNonAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

TextFileEncoding DetectTextFile(std::span<const uint8_t> bytes, std::u16string& unicode) {
  static constexpr uint8_t Utf16LeBom[] = {0xFF, 0xFE};
  static constexpr uint8_t Utf16BeBom[] = {0xFE, 0xFF};
  unicode.clear();
  if (StartsWith(bytes, Utf16LeBom)) {
    unicode = Utf16Units(bytes.subspan(2), false);
    return TextFileEncoding::Utf16Le;
  }
  if (StartsWith(bytes, Utf16BeBom)) {
    unicode = Utf16Units(bytes.subspan(2), true);
    return TextFileEncoding::Utf16Be;
  }
  const bool marked = StartsWith(bytes, Utf8Bom);
  const std::string_view text = AsChars(marked ? bytes.subspan(std::size(Utf8Bom)) : bytes);
  if ((marked || HasNonAscii(text)) && Utf8ToUtf16(text, unicode)) return TextFileEncoding::Utf8;
  unicode.clear();
  return TextFileEncoding::Ansi;
}

std::vector<uint8_t> Utf8FileWithBom(std::string_view utf8) {
  // Sized once: growing a 3-byte vector by insert draws a false -Warray-bounds from GCC 12.
  std::vector<uint8_t> file(std::size(Utf8Bom) + utf8.size());
  std::copy(std::begin(Utf8Bom), std::end(Utf8Bom), file.begin());
  std::copy(utf8.begin(), utf8.end(), file.begin() + std::size(Utf8Bom));
  return file;
}
