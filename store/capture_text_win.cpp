// The text part of capture: a clipboard text or a loaded text file becomes a text item.
#include <vector>

#include "core/file_bytes.h"
#include "core/unicode_text.h"
#include "exchange/image/images_win.h"
#include "store/capture_win.h"
#include "store/capture_item_win.h"
#include "store/capture_rules.h"
#include "store/clock.h"
#include "store/thumbnail_win.h"

namespace {

// The text file holds the ANSI text's bytes exactly: no terminating zero, no added line break.
bool SaveText(const std::string& text, const std::string& path) {
  return WriteFileReplacing(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// What the item keeps beyond its ANSI text.
std::vector<ItemExtra> ExtrasOf(const CopiedText& text) {
  std::vector<ItemExtra> extras;
  if (!text.unicode.empty()) {
    const std::string utf8 = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.unicode.data()),
                                                             text.unicode.size()));
    extras.push_back(ItemExtra{ExtraKind::UnicodeText, std::vector<unsigned char>(utf8.begin(), utf8.end())});
  }
  if (!text.richText.empty()) extras.push_back(ItemExtra{ExtraKind::RichText, text.richText});
  if (!text.html.empty()) extras.push_back(ItemExtra{ExtraKind::Html, text.html});
  return extras;
}

}  // namespace

void CaptureText(const CopiedText* text, HANDLE handle) {
  // The program's own text met once is forgotten, so that a later copy of the same handle counts.
  if (!text || (handle && handle == Capture.LastOwnText)) {
    Capture.LastOwnText = nullptr;
    return;
  }
  // Two texts are one only when what was copied is the same, not merely their ANSI bytes.
  std::wstring real = text->Real();
  if (real == Capture.LastCapturedText) return;
  const std::string name = MakeItemName();
  const int thumbnail = DrawTextThumbnail(real, NextTextColour(Capture.TextColourToggle));
  if (!thumbnail) return;
  const std::string& ansi = text->ansi;
  const bool added = AddCapturedItem(TextItem, name, thumbnail,
                                     [&ansi](const std::string& path) { return SaveText(ansi, path); },
                                     ExtrasOf(*text));
  DisposeImage(thumbnail);
  if (!added) return;
  // Only a text that became an item is remembered: one that failed may be copied again.
  Capture.LastCapturedText = std::move(real);
  if (handle) PlayCaptureSound();
  ShowAfterCapture();
}
