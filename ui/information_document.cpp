#include "ui/information_document.h"

#include <cstdint>

#include "core/unicode_text.h"

std::string RtfText(std::string_view utf8) {
  std::string rtf;
  for (char16_t unit : Utf8ToUtf16Lossy(utf8)) {
    if (unit == u'\\' || unit == u'{' || unit == u'}') {
      rtf += '\\';
      rtf += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x80) {
      rtf += static_cast<char>(unit);
    } else if (unit >= 0x80) {
      // RTF takes a signed 16-bit number; surrogate pairs go as two of them.
      rtf += "\\u" + std::to_string(static_cast<int16_t>(unit)) + "?";
    }
  }
  return rtf;
}

std::string WithFolderParagraph(const std::string& document, const std::string& label, const std::string& folder) {
  const std::string paragraph =
      "\\pard\\sb120\\sa40\\cf2\\b0\\i0\\fs18 " + RtfText(label) + "\\line " + RtfText(folder) + "\\par\n";
  const size_t end = document.rfind('}');
  if (end == std::string::npos) return document;
  return document.substr(0, end) + paragraph + document.substr(end);
}
