// What the preview popup shows: the light-yellow canvas with its black rounded frame, pictures at
// their own size or fitted and centred, texts wrapped or drawn line by line and cut at the content.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/windows/preview_fixture.h"
#include "ui/preview_canvas_win.h"
#include "ui/preview_rules.h"

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class PreviewCanvasTest : public PreviewFixture {
 protected:
  CanvasPixels Canvas(const Item& item) {
    HRGN shape = NewPreviewShape();
    const int canvas = DrawPreviewCanvas(item, shape);
    DeleteObject(shape);
    EXPECT_NE(canvas, 0);
    CanvasPixels pixels = ReadBitmapPixels(ImageBitmap(canvas), PreviewSize, PreviewSize);
    DisposeImage(canvas);
    return pixels;
  }

  // The canvas shows a blue rectangle at (left, top) of that size and background around it.
  void ExpectPicture(const CanvasPixels& canvas, int left, int top, int width, int height) {
    const int right = left + width;
    const int bottom = top + height;
    EXPECT_TRUE(canvas.AllOf(left, top, right, bottom, kBlue)) << width << "x" << height;
    EXPECT_EQ(canvas.At(left - 1, top + height / 2), PreviewBackground);
    EXPECT_EQ(canvas.At(right, top + height / 2), PreviewBackground);
    EXPECT_EQ(canvas.At(left + width / 2, top - 1), PreviewBackground);
    EXPECT_EQ(canvas.At(left + width / 2, bottom), PreviewBackground);
  }

  // Content rows that hold dark pixels, counted in bands of the font's line height.
  static int TextLines(const CanvasPixels& canvas) {
    int lines = 0;
    bool inLine = false;
    for (int y = PreviewMargin; y < PreviewMargin + PreviewContentSize; ++y) {
      const bool dark = canvas.AnyDark(PreviewMargin, y, PreviewMargin + PreviewContentSize, y + 1);
      if (dark && !inLine) ++lines;
      inLine = dark;
    }
    return lines;
  }
};

TEST_F(PreviewCanvasTest, BackgroundAndRoundedBlackFrame) {
  const CanvasPixels canvas = Canvas(TextItemWith("empty", ""));
  // Margin and content area are light yellow.
  EXPECT_TRUE(canvas.AllOf(1, 10, 297, 290, PreviewBackground));
  EXPECT_TRUE(canvas.AllOf(10, 1, 290, 297, PreviewBackground));
  // The frame runs along the inside of the shape, whose right and bottom edges are excluded.
  EXPECT_EQ(canvas.At(150, 0), kBlack);
  EXPECT_EQ(canvas.At(0, 150), kBlack);
  EXPECT_EQ(canvas.At(297, 150), kBlack);
  EXPECT_EQ(canvas.At(150, 297), kBlack);
  // Outside the shape: the last columns and rows, and the rounded corners.
  for (int edge : {298, 299}) {
    EXPECT_EQ(canvas.At(edge, 150), PreviewBackground);
    EXPECT_EQ(canvas.At(150, edge), PreviewBackground);
  }
  EXPECT_EQ(canvas.At(0, 0), PreviewBackground);
  EXPECT_EQ(canvas.At(1, 1), PreviewBackground);
  EXPECT_EQ(canvas.At(297, 297), PreviewBackground);
  EXPECT_EQ(canvas.At(0, 297), PreviewBackground);
}

TEST_F(PreviewCanvasTest, SmallPicturesAreShownAtTheirOwnSizeCentred) {
  ExpectPicture(Canvas(PictureItem("p100x80", 100, 80, kBlue)), 100, 110, 100, 80);
  ExpectPicture(Canvas(PictureItem("p259", 259, 259, kBlue)), 20, 20, 259, 259);
}

TEST_F(PreviewCanvasTest, LargePicturesAreFittedIntoTheContentArea) {
  ExpectPicture(Canvas(PictureItem("p260x100", 260, 100, kBlue)), 10, 96, 280, 108);
  ExpectPicture(Canvas(PictureItem("p600x300", 600, 300, kBlue)), 10, 80, 280, 140);
  const CanvasPixels tall = Canvas(PictureItem("p300x900", 300, 900, kBlue));
  ExpectPicture(tall, 103, 10, 93, 280);
}

TEST_F(PreviewCanvasTest, PngPictureFileIsShownToo) {
  const int picture = NewImage(-1, 50, 40);
  ASSERT_TRUE(BeginDrawing(picture));
  DrawBox(0, 0, 50, 40, kBlue);
  EndDrawing();
  ASSERT_EQ(SaveImageFile(picture, WorkingPath("png.bmp"), ImageEncoding::Png), 1);
  DisposeImage(picture);
  ExpectPicture(Canvas(Item{ImageItem, 0, "png"}), 125, 130, 50, 40);
}

TEST_F(PreviewCanvasTest, MissingOrUndecodableFilesLeaveTheContentEmpty) {
  const Item damaged = TextItemWith("damaged", "BM this is no bitmap at all");
  MoveFileA(WorkingPath("damaged.txt").c_str(), WorkingPath("damaged.bmp").c_str());
  for (const Item& item : {Item{ImageItem, 0, "nothere"}, Item{TextItem, 0, "nothere"},
                           Item{ImageItem, 0, "damaged"}}) {
    const CanvasPixels canvas = Canvas(item);
    EXPECT_TRUE(canvas.AllOf(1, 10, 297, 290, PreviewBackground)) << item.name << " " << item.kind;
    EXPECT_TRUE(canvas.AllOf(10, 1, 290, 297, PreviewBackground)) << item.name << " " << item.kind;
    EXPECT_EQ(canvas.At(150, 0), kBlack);
  }
}

TEST_F(PreviewCanvasTest, OneLineTextWrapsAtWordsAndStaysInTheContentArea) {
  std::string words;
  for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
  const CanvasPixels canvas = Canvas(TextItemWith("oneline", words));
  EXPECT_GE(TextLines(canvas), 4);
  // Text starts at the content's top left.
  EXPECT_TRUE(canvas.AnyDark(10, 10, 20, 25));
  EXPECT_FALSE(canvas.AnyDark(1, 10, 10, 290)) << "left margin";
  EXPECT_FALSE(canvas.AnyDark(10, 1, 290, 10)) << "top margin";
  EXPECT_FALSE(canvas.AnyDark(290, 10, 297, 290)) << "right margin";
}

TEST_F(PreviewCanvasTest, TextWithLineBreaksIsDrawnLineByLineAndCut) {
  std::string words;
  for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
  // The same words, but as the first of several lines: not wrapped, so cut at the right edge.
  std::string text = words + "\r\nsecond line\r\n";
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  const CanvasPixels canvas = Canvas(TextItemWith("lines", text));
  EXPECT_TRUE(canvas.AnyDark(280, 10, 290, 25)) << "the long first line reaches the content's right edge";
  EXPECT_TRUE(canvas.AnyDark(10, 276, 60, 290)) << "lines reach the content's bottom edge";
  EXPECT_FALSE(canvas.AnyDark(290, 10, 297, 290)) << "right margin";
  EXPECT_FALSE(canvas.AnyDark(10, 290, 290, 297)) << "bottom margin";
  // The second band of text is "second line", short: nothing of the first line wrapped into it.
  int secondTop = 0;
  for (int y = 10, lines = 0, dark = 0; y < 60 && !secondTop; ++y) {
    const int now = canvas.AnyDark(10, y, 290, y + 1);
    if (now && !dark && ++lines == 2) secondTop = y;
    dark = now;
  }
  ASSERT_NE(secondTop, 0);
  EXPECT_FALSE(canvas.AnyDark(120, secondTop, 290, secondTop + 8));
}

TEST_F(PreviewCanvasTest, OneWordLongerThanTheContentIsCut) {
  const CanvasPixels canvas = Canvas(TextItemWith("word", std::string(200, 'W')));
  EXPECT_TRUE(canvas.AnyDark(280, 10, 290, 25));
  EXPECT_FALSE(canvas.AnyDark(290, 10, 297, 290));
}

}  // namespace
