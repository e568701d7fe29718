// What items are found by: texts by what they say, pictures by the size caption their thumbnail
// shows.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// The size of the picture whose file starts with `start` (a BMP, or a PNG kept under a .bmp name);
// false when the bytes tell none.
bool PictureFileSize(std::span<const uint8_t> start, int32_t& width, int32_t& height);
// How a user may type a picture's size: the caption as its thumbnail writes it ("1920 * 1080"),
// with a multiplication sign and with an x. One line each, so that no search spans two forms.
std::u16string PictureFindText(int32_t width, int32_t height);
