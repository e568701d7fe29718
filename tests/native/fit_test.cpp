#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "core/fit.h"

namespace {

std::pair<int32_t, int32_t> Fit(int32_t w, int32_t h, int32_t bw, int32_t bh) {
  return {FitWidth(w, h, bw, bh), FitHeight(w, h, bw, bh)};
}

TEST(FitToBox, ThumbnailAndPreviewExamples) {
  EXPECT_EQ(Fit(600, 300, 280, 280), std::make_pair(280, 140));
  EXPECT_EQ(Fit(300, 600, 280, 280), std::make_pair(140, 280));
  EXPECT_EQ(Fit(260, 100, 280, 280), std::make_pair(280, 108));
  EXPECT_EQ(Fit(20, 10, 56, 56), std::make_pair(56, 28));
  EXPECT_EQ(Fit(800, 600, 56, 56), std::make_pair(56, 42));
  EXPECT_EQ(Fit(100, 400, 56, 56), std::make_pair(14, 56));
  EXPECT_EQ(Fit(1024, 768, 56, 56), std::make_pair(56, 42));
}

TEST(FitToBox, SquaresFillTheBoxWhateverTheirSize) {
  for (int32_t side : {1, 2, 3, 7, 56, 279, 280, 281, 1000, 4096, 65535, INT32_MAX}) {
    EXPECT_EQ(Fit(side, side, 280, 280), std::make_pair(280, 280)) << side;
    EXPECT_EQ(Fit(side, side, 56, 56), std::make_pair(56, 56)) << side;
  }
}

TEST(FitToBox, RoundsHalfToEven) {
  // 4 x 1 into 2 x 2 gives a height of exactly 0.5, 4 x 3 one of 1.5 and 4 x 5 one of 2.5.
  EXPECT_EQ(FitHeight(4, 3, 2, 4), 2);
  EXPECT_EQ(FitHeight(4, 5, 2, 4), 2);
  EXPECT_EQ(FitHeight(4, 7, 2, 4), 4);
}

TEST(FitToBox, ZeroAndExtremeSizesStayInsideTheBox) {
  // A very flat or very tall picture keeps one pixel rather than vanishing.
  EXPECT_EQ(Fit(4, 1, 2, 2), std::make_pair(2, 1));
  EXPECT_EQ(Fit(100000, 1, 56, 56), std::make_pair(56, 1));
  EXPECT_EQ(Fit(1, 100000, 56, 56), std::make_pair(1, 56));
  EXPECT_EQ(Fit(1, INT32_MAX, 280, 280), std::make_pair(1, 280));
  EXPECT_EQ(Fit(INT32_MAX, 1, 280, 280), std::make_pair(280, 1));
  // Sizes below 1 count as 1; an empty box gives nothing.
  EXPECT_EQ(Fit(0, 0, 56, 56), std::make_pair(56, 56));
  EXPECT_EQ(Fit(-5, 10, 56, 56), std::make_pair(6, 56));
  EXPECT_EQ(Fit(INT32_MIN, INT32_MIN, 56, 56), std::make_pair(56, 56));
  EXPECT_EQ(Fit(100, 100, 0, 56), std::make_pair(0, 0));
  EXPECT_EQ(Fit(100, 100, 56, -1), std::make_pair(0, 0));
  for (int32_t w = 1; w <= 300; w += 7) {
    for (int32_t h = 1; h <= 300; h += 11) {
      const auto [fw, fh] = Fit(w, h, 56, 56);
      EXPECT_TRUE(fw >= 1 && fw <= 56 && fh >= 1 && fh <= 56) << w << "x" << h;
    }
  }
}

}  // namespace
