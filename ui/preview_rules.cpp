#include "ui/preview_rules.h"

#include "core/fit.h"

PreviewPoint PlacePreview(int cursorX, int cursorY, int screenWidth, int screenHeight) {
  PreviewPoint corner{cursorX, cursorY};
  if (cursorX + PreviewSize > screenWidth) corner.x = cursorX - PreviewSize;
  if (cursorY + PreviewSize > screenHeight) corner.y = cursorY - PreviewSize;
  return corner;
}

PreviewExtent ShownPictureSize(int width, int height) {
  if (width < PreviewUnscaledLimit && height < PreviewUnscaledLimit) return {width, height};
  return {FitWidth(width, height, PreviewContentSize, PreviewContentSize),
          FitHeight(width, height, PreviewContentSize, PreviewContentSize)};
}

PreviewPoint PicturePosition(PreviewExtent shown) {
  // Shown sizes never exceed the content area, so the halves are never negative.
  return {(PreviewContentSize - shown.width) / 2 + PreviewMargin,
          (PreviewContentSize - shown.height) / 2 + PreviewMargin};
}

std::string PreviewText(std::string_view fileBytes) {
  std::string_view text = fileBytes.substr(0, fileBytes.find('\0'));
  return std::string(text.substr(0, PreviewTextLimit));
}

bool IsOneLineText(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

int PrimaryButtonKey(int buttonsSwapped) {
  return buttonsSwapped ? PreviewKeyRightButton : PreviewKeyLeftButton;
}

bool PreviewShouldClose(int32_t mode, int primaryButton, const KeyStateReader& readKey) {
  switch (mode) {
    case PreviewFromMenu:
      readKey(primaryButton);
      return readKey(primaryButton) != 0;
    case PreviewFromKey:
      return readKey(PreviewKeyD) == 0;
    case PreviewFromButtons:
      readKey(primaryButton);
      return readKey(primaryButton) == 0;
    default:
      return true;
  }
}
