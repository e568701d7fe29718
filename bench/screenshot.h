// Screenshot-like pictures made from code, the same on every run: window frames and flat UI
// colours, lines of text drawn from a small font of glyphs, and a photo-like region (gradient and
// noise). They stand in for what users copy most.
#pragma once

#include <cstdint>

#include "exchange/image/pixel_image.h"

PixelImage MakeScreenshot(int width, int height, uint32_t seed = 1);
