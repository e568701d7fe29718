#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "store/capture_rules.h"

namespace {

void ExpectPlaced(int w, int h, int x, int y, int fittedW, int fittedH) {
  const ThumbPicture place = PlaceThumbPicture(w, h);
  EXPECT_EQ(place.width, fittedW) << w << " x " << h;
  EXPECT_EQ(place.height, fittedH) << w << " x " << h;
  EXPECT_EQ(place.x, x) << w << " x " << h;
  EXPECT_EQ(place.y, y) << w << " x " << h;
}

TEST(ThumbPicture, WidePictureSitsCentredVertically) {
  ExpectPlaced(800, 600, 2, 9, 56, 42);
}

TEST(ThumbPicture, TallPictureSitsCentredHorizontally) {
  ExpectPlaced(100, 400, 23, 2, 14, 56);
}

TEST(ThumbPicture, SmallPictureIsEnlargedToTheBoxWidth) {
  ExpectPlaced(20, 10, 2, 16, 56, 28);
}

TEST(ThumbPicture, ExtremeShapesStayInsideTheSquare) {
  for (const auto& [w, h] : {std::pair{1, 1}, {32767, 1}, {1, 32767}, {56, 56}, {57, 55}}) {
    const ThumbPicture place = PlaceThumbPicture(w, h);
    EXPECT_GE(place.width, 1);
    EXPECT_GE(place.height, 1);
    EXPECT_GE(place.x, 2);
    EXPECT_GE(place.y, 2);
    EXPECT_LE(place.x + place.width, 58) << w << " x " << h;
    EXPECT_LE(place.y + place.height, 58) << w << " x " << h;
  }
  ExpectPlaced(1, 1, 2, 2, 56, 56);
}

TEST(PictureSizeCaption, WidthStarHeight) {
  EXPECT_EQ(PictureSizeCaption(1024, 768), "1024 * 768");
  EXPECT_EQ(PictureSizeCaption(1, 32767), "1 * 32767");
}

TEST(OneLineText, AnyLineBreakMakesSeveralLines) {
  EXPECT_TRUE(IsOneLineText(""));
  EXPECT_TRUE(IsOneLineText("a long line with\ttabs and spaces"));
  EXPECT_FALSE(IsOneLineText("first\r\nsecond"));
  EXPECT_FALSE(IsOneLineText("first\nsecond"));
  EXPECT_FALSE(IsOneLineText("first\rsecond"));
  EXPECT_FALSE(IsOneLineText("trailing break\n"));
}

TEST(TextColour, AlternatesStartingWithRed) {
  int toggle = 0;
  const TextColour first = NextTextColour(toggle);
  const TextColour second = NextTextColour(toggle);
  const TextColour third = NextTextColour(toggle);
  EXPECT_EQ((std::tuple{first.red, first.green, first.blue}), (std::tuple{120, 50, 50}));
  EXPECT_EQ((std::tuple{second.red, second.green, second.blue}), (std::tuple{50, 50, 120}));
  EXPECT_EQ(third.red, first.red);
  EXPECT_EQ(toggle, 1);
}

TEST(TextLimit, WorkspaceHoldsAtMost63999Bytes) {
  EXPECT_TRUE(TextFitsWorkspace(0));
  EXPECT_TRUE(TextFitsWorkspace(63999));
  EXPECT_FALSE(TextFitsWorkspace(64000));
  EXPECT_FALSE(TextFitsWorkspace(size_t{1} << 40));
}

TEST(BoundedTextLength, StopsAtTheZeroOrTheEndOfTheBlock) {
  const char terminated[] = "abc\0def";
  EXPECT_EQ(BoundedTextLength(terminated, sizeof terminated), 3u);
  // A block without a zero is not read past its end.
  const char unterminated[4] = {'w', 'x', 'y', 'z'};
  EXPECT_EQ(BoundedTextLength(unterminated, sizeof unterminated), 4u);
  EXPECT_EQ(BoundedTextLength(unterminated, 0), 0u);
  EXPECT_EQ(BoundedTextLength(nullptr, 10), 0u);
  const std::string big(70000, 'q');
  EXPECT_EQ(BoundedTextLength(big.c_str(), big.size() + 1), 70000u);
}

}  // namespace
