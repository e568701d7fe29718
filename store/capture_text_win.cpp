// The text part of capture: a clipboard text or a loaded text file becomes a text item.
#include <vector>

#include "core/file_bytes.h"
#include "exchange/image/images_win.h"
#include "store/capture_win.h"
#include "store/capture_item_win.h"
#include "store/capture_rules.h"
#include "store/clock.h"
#include "store/thumbnail_win.h"

namespace {

// The text file holds the text's bytes exactly: no terminating zero, no added line break.
bool SaveText(const std::string& text, const std::string& path) {
  return WriteFileReplacing(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace

void CaptureText(const std::string* text, HANDLE handle) {
  // The program's own text met once is forgotten, so that a later copy of the same handle counts.
  if (!text || (handle && handle == Capture.LastOwnText)) {
    Capture.LastOwnText = nullptr;
    return;
  }
  if (*text == Capture.LastCapturedText) return;
  const std::string name = MakeItemName();
  const int thumbnail = DrawTextThumbnail(*text, NextTextColour(Capture.TextColourToggle));
  if (!thumbnail) return;
  const bool added = AddCapturedItem(TextItem, name, thumbnail,
                                     [text](const std::string& path) { return SaveText(*text, path); });
  DisposeImage(thumbnail);
  if (!added) return;
  // Only a text that became an item is remembered: one that failed may be copied again.
  Capture.LastCapturedText = *text;
  if (handle) PlayCaptureSound();
  ShowAfterCapture();
}
