// libFuzzer target: any bytes as a text file and through every conversion between UTF-8, UTF-16 and
// code page 1252. What is told to be Unicode must come back to the same bytes; what is converted
// must be well formed, whatever went in.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "core/unicode_text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::u16string AsUnits(std::span<const uint8_t> bytes) {
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
  return units;
}

void CheckDetection(std::span<const uint8_t> bytes) {
  std::u16string unicode;
  const TextFileEncoding encoding = DetectTextFile(bytes, unicode);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  switch (encoding) {
    case TextFileEncoding::Ansi:
      Check(unicode.empty());
      break;
    case TextFileEncoding::Utf8: {
      const bool marked = text.substr(0, 3) == "\xEF\xBB\xBF";
      const std::string_view body = marked ? text.substr(3) : text;
      Check(marked || HasNonAscii(body));
      Check(Utf16ToUtf8(unicode) == body);
      break;
    }
    case TextFileEncoding::Utf16Le:
    case TextFileEncoding::Utf16Be: {
      // Every unit after the mark, an odd last byte dropped.
      Check(bytes.size() >= 2 && unicode.size() == (bytes.size() - 2) / 2);
      const uint8_t* unit = bytes.data() + 2;
      const bool big = encoding == TextFileEncoding::Utf16Be;
      for (char16_t u : unicode) {
        Check(u == static_cast<char16_t>(big ? unit[0] << 8 | unit[1] : unit[1] << 8 | unit[0]));
        unit += 2;
      }
      break;
    }
  }
}

void CheckUtf8(std::string_view text) {
  std::u16string strict;
  const bool valid = Utf8ToUtf16(text, strict);
  Check(valid == IsValidUtf8(text));
  const std::u16string lossy = Utf8ToUtf16Lossy(text);
  Check(Utf16Length(text) == lossy.size());
  if (valid) {
    Check(lossy == strict);
    Check(Utf16ToUtf8(strict) == text);
  }
  // Replacements make any text well formed.
  Check(IsValidUtf8(Utf16ToUtf8(lossy)));

  std::string cp1252;
  if (Utf8ToCp1252(text, cp1252)) {
    Check(valid);
    Check(Cp1252ToUtf8(cp1252) == text);
  }
  const std::string widened = Cp1252ToUtf8(text);
  Check(IsValidUtf8(widened));
  std::string narrowed;
  // Code page 1252 has five holes, which come back as the controls Latin-1 puts there.
  Check(Utf8ToCp1252(widened, narrowed) && narrowed == text);
}

void CheckUtf16(std::span<const uint8_t> bytes) {
  const std::u16string units = AsUnits(bytes);
  const std::string utf8 = Utf16ToUtf8(units);
  Check(IsValidUtf8(utf8));
  std::u16string back;
  Check(Utf8ToUtf16(utf8, back));
  // Only unpaired surrogates change, each into one U+FFFD.
  Check(back.size() == units.size());
  for (size_t i = 0; i < units.size(); ++i) Check(back[i] == units[i] || back[i] == u'\uFFFD');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  CheckDetection(bytes);
  CheckUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckUtf16(bytes);
  return 0;
}
