#include "bench/screenshot.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Colour {
  uint8_t r, g, b;
};

// A small linear congruential generator: reproducible on every platform.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

void Put(PixelImage& image, int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  uint8_t* p = image.Row(y) + 3 * x;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

void Fill(PixelImage& image, int x0, int y0, int w, int h, Colour c) {
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) Put(image, x, y, c);
  }
}

void Frame(PixelImage& image, int x0, int y0, int w, int h, Colour c) {
  Fill(image, x0, y0, w, 1, c);
  Fill(image, x0, y0 + h - 1, w, 1, c);
  Fill(image, x0, y0, 1, h, c);
  Fill(image, x0 + w - 1, y0, 1, h, c);
}

constexpr int GlyphWidth = 7;
constexpr int GlyphHeight = 13;
using Glyph = std::array<uint8_t, GlyphWidth * GlyphHeight>;  // coverage 0 … 255

// Glyphs of strokes: vertical stems, bows and bars, with grey (antialiased) edges.
std::array<Glyph, 64> MakeFont(Random& random) {
  std::array<Glyph, 64> font{};
  for (Glyph& glyph : font) {
    const int top = 2 + random.Below(3);
    for (int stroke = 0; stroke < 3; ++stroke) {
      if (random.Below(2)) {
        const int x = 1 + random.Below(GlyphWidth - 2);
        for (int y = top; y < GlyphHeight - 2; ++y) glyph[y * GlyphWidth + x] = 255;
        if (x + 1 < GlyphWidth) {
          for (int y = top; y < GlyphHeight - 2; ++y) glyph[y * GlyphWidth + x + 1] |= 96;
        }
      } else {
        const int y = top + random.Below(GlyphHeight - 4 - top);
        for (int x = 1; x < GlyphWidth - 1; ++x) glyph[y * GlyphWidth + x] = 255;
        for (int x = 1; x < GlyphWidth - 1; ++x) glyph[(y + 1) * GlyphWidth + x] |= 80;
      }
    }
  }
  return font;
}

void DrawText(PixelImage& image, Random& random, const std::array<Glyph, 64>& font, int x0, int y0, int w, int h,
              Colour ink, Colour paper) {
  Fill(image, x0, y0, w, h, paper);
  for (int line = y0 + 4; line + GlyphHeight + 4 <= y0 + h; line += GlyphHeight + 5) {
    int x = x0 + 6;
    const int end = x0 + w - 6 - random.Below(std::max(1, w / 3));
    while (x + GlyphWidth < end) {
      const int word = 2 + random.Below(8);
      for (int g = 0; g < word && x + GlyphWidth < end; ++g, x += GlyphWidth + 1) {
        const Glyph& glyph = font[random.Below(static_cast<int>(font.size()))];
        for (int gy = 0; gy < GlyphHeight; ++gy) {
          for (int gx = 0; gx < GlyphWidth; ++gx) {
            const int a = glyph[gy * GlyphWidth + gx];
            if (a == 0) continue;
            auto mix = [a](uint8_t i, uint8_t p) { return static_cast<uint8_t>((i * a + p * (255 - a)) / 255); };
            Put(image, x + gx, line + gy, Colour{mix(ink.r, paper.r), mix(ink.g, paper.g), mix(ink.b, paper.b)});
          }
        }
      }
      x += GlyphWidth;
    }
  }
}

// A smooth landscape-like gradient with sensor noise.
void DrawPhoto(PixelImage& image, Random& random, int x0, int y0, int w, int h) {
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double u = static_cast<double>(x) / w;
      const double v = static_cast<double>(y) / h;
      const double hill = 0.5 + 0.25 * std::sin(u * 9.0 + std::cos(v * 5.0)) * std::cos(v * 7.0);
      const int noise = random.Below(17) - 8;
      auto clamp = [](double value) { return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0)); };
      Put(image, x0 + x, y0 + y,
          Colour{clamp(60 + 150 * v * hill + noise), clamp(90 + 120 * hill + noise), clamp(200 - 140 * v + noise)});
    }
  }
}

}  // namespace

PixelImage MakeScreenshot(int width, int height, uint32_t seed) {
  PixelImage image;
  AllocatePixelImage(image, width, height);
  Random random{seed};
  const auto font = MakeFont(random);
  const Colour desktop{0, 120, 215}, face{240, 240, 240}, border{160, 160, 160}, title{255, 255, 255};
  const Colour black{0, 0, 0}, white{255, 255, 255}, dark{30, 30, 30}, code{212, 212, 212};
  Fill(image, 0, 0, width, height, desktop);
  // Task bar along the bottom with buttons.
  Fill(image, 0, height - 40, width, 40, Colour{32, 32, 32});
  for (int x = 8; x + 44 < width / 2; x += 52) Fill(image, x, height - 34, 44, 28, Colour{60, 60, 60});

  // A document window on the left half: title bar, menu, tool bar, text.
  const int docW = width / 2 - 20, docH = height - 80;
  Fill(image, 10, 10, docW, docH, face);
  Frame(image, 10, 10, docW, docH, border);
  Fill(image, 11, 11, docW - 2, 30, title);
  DrawText(image, random, font, 14, 14, 300, 24, black, title);
  for (int x = 20; x + 24 < docW; x += 30) Frame(image, x, 48, 24, 24, border);
  DrawText(image, random, font, 20, 80, docW - 20, docH - 80, black, white);

  // An editor on the right, top: light text on a dark background.
  const int edX = width / 2 + 10, edW = width / 2 - 20, edH = height / 2 - 20;
  DrawText(image, random, font, edX, 10, edW, edH, code, dark);
  // A picture viewer on the right, bottom: frame and photo.
  const int viewY = height / 2;
  Fill(image, edX, viewY, edW, height / 2 - 50, face);
  Frame(image, edX, viewY, edW, height / 2 - 50, border);
  DrawPhoto(image, random, edX + 20, viewY + 40, edW - 40, height / 2 - 110);
  return image;
}
