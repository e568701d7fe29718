// The program's copy of a captured picture is handed to other programs only when they ask for it,
// and stays on the clipboard after the program ends.
#include "tests/e2e/capture_support.h"

namespace {

using OfferedPicture = CaptureRun;

constexpr COLORREF kPicture = RGB(30, 160, 90);

TEST_F(OfferedPicture, StaysOnTheClipboardAfterTheProgramEnds) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardBitmap(50, 40, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  // Nobody asked for the picture while the program ran: it is handed over as the program ends.
  ASSERT_EQ(ExitAndReadItems().items.size(), 1u);
  int width = 0, height = 0;
  ASSERT_TRUE(ClipboardBitmapSize(width, height));
  EXPECT_EQ(width, 50);
  EXPECT_EQ(height, 40);
  EXPECT_TRUE(NearColour(ClipboardBitmapPixel(25, 20), kPicture));
}

TEST_F(OfferedPicture, AskingForItAgainAndAgainMakesNoItem) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardBitmap(30, 30, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  for (int read = 0; read < 3; ++read) {
    int width = 0, height = 0;
    ASSERT_TRUE(ClipboardBitmapSize(width, height));
    EXPECT_EQ(width, 30);
    EXPECT_TRUE(NearColour(ClipboardBitmapPixel(10, 10), kPicture));
  }
  EXPECT_TRUE(RowsStay(1));
  // A picture copied afterwards by another program is taken as usual.
  ASSERT_TRUE(PutClipboardBitmap(20, 10, kPicture));
  ASSERT_TRUE(WaitForRows(2));
}

}  // namespace
