#include "store/capture_rules.h"

#include <cstring>

#include "core/fit.h"

size_t BoundedTextLength(const char* data, size_t size) {
  if (!data) return 0;
  const void* zero = std::memchr(data, 0, size);
  return zero ? static_cast<size_t>(static_cast<const char*>(zero) - data) : size;
}

bool IsOneLineText(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }
bool IsOneLineText(std::wstring_view text) { return text.find_first_of(L"\r\n") == std::wstring_view::npos; }

ThumbPicture PlaceThumbPicture(int32_t pictureWidth, int32_t pictureHeight) {
  ThumbPicture picture;
  picture.width = FitWidth(pictureWidth, pictureHeight, ThumbPictureBox, ThumbPictureBox);
  picture.height = FitHeight(pictureWidth, pictureHeight, ThumbPictureBox, ThumbPictureBox);
  picture.x = (ThumbPictureBox - picture.width) / 2 + 2;
  picture.y = (ThumbPictureBox - picture.height) / 2 + 2;
  return picture;
}

std::string PictureSizeCaption(int32_t width, int32_t height) {
  return std::to_string(width) + " * " + std::to_string(height);
}

TextColour NextTextColour(int& toggle) {
  const TextColour colour = toggle == 1 ? TextColour{50, 50, 120} : TextColour{120, 50, 50};
  toggle = toggle == 1 ? 0 : 1;
  return colour;
}
