// The preview's placement, picture size and position, text rules and closing conditions.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/preview_rules.h"

namespace {

std::pair<int, int> Place(int x, int y) {
  const PreviewPoint corner = PlacePreview(x, y, 1280, 1024);
  return {corner.x, corner.y};
}

std::pair<int, int> Shown(int w, int h) {
  const PreviewExtent shown = ShownPictureSize(w, h);
  return {shown.width, shown.height};
}

std::pair<int, int> Position(int w, int h) {
  const PreviewPoint at = PicturePosition(ShownPictureSize(w, h));
  return {at.x, at.y};
}

TEST(PreviewPlacement, BelowRightOfTheCursorUnlessAnEdgeIsNear) {
  EXPECT_EQ(Place(640, 512), std::make_pair(640, 512));
  EXPECT_EQ(Place(1200, 100), std::make_pair(900, 100));
  EXPECT_EQ(Place(100, 900), std::make_pair(100, 600));
  EXPECT_EQ(Place(1279, 1023), std::make_pair(979, 723));
  // Exactly touching the edge still fits; one pixel more does not.
  EXPECT_EQ(Place(980, 724), std::make_pair(980, 724));
  EXPECT_EQ(Place(981, 725), std::make_pair(681, 425));
}

TEST(PreviewPlacement, ScreenSmallerThanThePopupPutsItAboveLeft) {
  const PreviewPoint corner = PlacePreview(100, 50, 200, 200);
  EXPECT_EQ(corner.x, -200);
  EXPECT_EQ(corner.y, -250);
}

TEST(PreviewPicture, SmallPicturesKeepTheirSizeAndAreCentred) {
  EXPECT_EQ(Shown(100, 80), std::make_pair(100, 80));
  EXPECT_EQ(Position(100, 80), std::make_pair(100, 110));
  EXPECT_EQ(Shown(259, 259), std::make_pair(259, 259));
  EXPECT_EQ(Position(259, 259), std::make_pair(20, 20));  // 21 / 2 rounds down
  EXPECT_EQ(Shown(1, 1), std::make_pair(1, 1));
  EXPECT_EQ(Position(1, 1), std::make_pair(149, 149));
  EXPECT_EQ(Shown(259, 3), std::make_pair(259, 3));
}

TEST(PreviewPicture, AnySideFromTheLimitUpIsFittedIntoTheContentArea) {
  EXPECT_EQ(Shown(260, 100), std::make_pair(280, 108));
  EXPECT_EQ(Position(260, 100), std::make_pair(10, 96));
  EXPECT_EQ(Shown(600, 300), std::make_pair(280, 140));
  EXPECT_EQ(Position(600, 300), std::make_pair(10, 80));
  EXPECT_EQ(Shown(100, 260), std::make_pair(108, 280));
  EXPECT_EQ(Shown(260, 260), std::make_pair(280, 280));
  EXPECT_EQ(Position(260, 260), std::make_pair(10, 10));
  EXPECT_EQ(Shown(30000, 2), std::make_pair(280, 1));
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{260, 1}, {4000, 3000}, {1, 30000}, {32767, 32767}}) {
    const PreviewExtent shown = ShownPictureSize(w, h);
    EXPECT_GE(shown.width, 1) << w << "x" << h;
    EXPECT_LE(shown.width, PreviewContentSize) << w << "x" << h;
    EXPECT_GE(shown.height, 1) << w << "x" << h;
    EXPECT_LE(shown.height, PreviewContentSize) << w << "x" << h;
  }
}

TEST(PreviewText, EndsAtTheFirstNulAndAtTheTextLimit) {
  EXPECT_EQ(PreviewText(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(PreviewText(std::string("\0abc", 4)), "");
  EXPECT_EQ(PreviewText(""), "");
  EXPECT_EQ(PreviewText("no nul"), "no nul");
  EXPECT_EQ(PreviewText(std::string(100000, 'x')).size(), PreviewTextLimit);
}

TEST(PreviewText, OneLineMeansNoCarriageReturnAndNoLineFeed) {
  EXPECT_TRUE(IsOneLineText(""));
  EXPECT_TRUE(IsOneLineText("a long line\twith a tab"));
  EXPECT_FALSE(IsOneLineText("first\r\nsecond"));
  EXPECT_FALSE(IsOneLineText("first\nsecond"));
  EXPECT_FALSE(IsOneLineText("trailing\r"));
}

TEST(PreviewClosing, PrimaryButtonFollowsTheSwappedButtons) {
  EXPECT_EQ(PrimaryButtonKey(0), PreviewKeyLeftButton);
  EXPECT_EQ(PrimaryButtonKey(1), PreviewKeyRightButton);
  EXPECT_EQ(PrimaryButtonKey(-1), PreviewKeyRightButton);
}

// Answers each read from a script of states, recording which keys were read.
struct ScriptedKeys {
  explicit ScriptedKeys(std::vector<int16_t> script) : answers(std::move(script)) {}
  std::vector<int16_t> answers;
  std::vector<int> reads;
  KeyStateReader Reader() {
    return [this](int key) {
      reads.push_back(key);
      const int16_t answer = answers.empty() ? 0 : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return answer;
    };
  }
};

constexpr int16_t kDown = static_cast<int16_t>(0x8000);
constexpr int16_t kPressedSince = 0x0001;

TEST(PreviewClosing, MenuModeClosesOnAPressSeenByTheSecondRead) {
  // A press reported only by the discarded first read does not close.
  ScriptedKeys keys{{kPressedSince, 0}};
  EXPECT_FALSE(PreviewShouldClose(PreviewFromMenu, PreviewKeyLeftButton, keys.Reader()));
  EXPECT_EQ(keys.reads, (std::vector<int>{PreviewKeyLeftButton, PreviewKeyLeftButton}));
  ScriptedKeys down{{0, kDown}};
  EXPECT_TRUE(PreviewShouldClose(PreviewFromMenu, PreviewKeyLeftButton, down.Reader()));
  // With swapped buttons the right button is the one read.
  ScriptedKeys swapped{{0, kDown}};
  EXPECT_TRUE(PreviewShouldClose(PreviewFromMenu, PreviewKeyRightButton, swapped.Reader()));
  EXPECT_EQ(swapped.reads, (std::vector<int>{PreviewKeyRightButton, PreviewKeyRightButton}));
}

TEST(PreviewClosing, KeyModeStaysWhileDIsHeld) {
  ScriptedKeys held{{kDown}};
  EXPECT_FALSE(PreviewShouldClose(PreviewFromKey, PreviewKeyLeftButton, held.Reader()));
  EXPECT_EQ(held.reads, std::vector<int>{PreviewKeyD});
  ScriptedKeys released{{0}};
  EXPECT_TRUE(PreviewShouldClose(PreviewFromKey, PreviewKeyLeftButton, released.Reader()));
}

TEST(PreviewClosing, ButtonModeClosesWhenThePrimaryButtonIsUp) {
  ScriptedKeys held{{kDown, kDown}};
  EXPECT_FALSE(PreviewShouldClose(PreviewFromButtons, PreviewKeyLeftButton, held.Reader()));
  // Up now, though pressed since the last read: the second read decides.
  ScriptedKeys released{{static_cast<int16_t>(kDown | kPressedSince), 0}};
  EXPECT_TRUE(PreviewShouldClose(PreviewFromButtons, PreviewKeyLeftButton, released.Reader()));
  EXPECT_EQ(released.reads, (std::vector<int>{PreviewKeyLeftButton, PreviewKeyLeftButton}));
}

TEST(PreviewClosing, UnknownModeClosesAtOnce) {
  ScriptedKeys keys{{kDown, kDown}};
  EXPECT_TRUE(PreviewShouldClose(3, PreviewKeyLeftButton, keys.Reader()));
  EXPECT_TRUE(PreviewShouldClose(-1, PreviewKeyLeftButton, keys.Reader()));
}

}  // namespace
