// Pictures copied by other programs become image items with fitted thumbnails.
#include "tests/e2e/capture_support.h"

#include <set>

#include "core/commands.h"
#include "tools/driver/clipboard_source_driver.h"

namespace {

using ImageCapture = CaptureRun;

constexpr COLORREF kPicture = RGB(200, 40, 40);

struct Box {
  int x, y, width, height;
};

// The picture fills exactly the box it was fitted into; around it the thumbnail is lavender.
void ExpectPictureAt(const PixelImage& thumbnail, Box box) {
  const int midX = box.x + box.width / 2;
  const int midY = box.y + box.height / 2;
  EXPECT_TRUE(NearColour(PixelAt(thumbnail, midX, midY), kPicture));
  EXPECT_TRUE(NearColour(PixelAt(thumbnail, box.x, box.y), kPicture));
  EXPECT_TRUE(NearColour(PixelAt(thumbnail, box.x + box.width - 1, box.y + box.height - 1), kPicture));
  EXPECT_EQ(PixelAt(thumbnail, box.x - 1, midY), kLavender);
  EXPECT_EQ(PixelAt(thumbnail, midX, box.y - 1), kLavender);
  EXPECT_EQ(PixelAt(thumbnail, box.x + box.width, midY), kLavender);
  EXPECT_EQ(PixelAt(thumbnail, midX, box.y + box.height), kLavender);
}

TEST_F(ImageCapture, PicturesAreFittedIntoTheSquareAndStoredAsPng) {
  StartWithDefaults();
  const struct {
    int width, height;
    Box box;
  } cases[] = {{800, 600, {2, 9, 56, 42}}, {100, 400, {23, 2, 14, 56}}, {20, 10, {2, 16, 56, 28}}};
  int rows = 0;
  for (const auto& picture : cases) {
    SCOPED_TRACE(std::to_string(picture.width) + " x " + std::to_string(picture.height));
    ASSERT_TRUE(PutClipboardBitmap(picture.width, picture.height, kPicture));
    ASSERT_TRUE(WaitForRows(++rows));
    const std::string name = ItemNames().back();
    EXPECT_TRUE(FileIsPng(app_.WorkingFile(name + ".bmp"))) << "CompressImages 1 writes PNG data";
    PixelImage full;
    ASSERT_TRUE(ReadPngFile(app_.WorkingFile(name + ".bmp"), full));
    EXPECT_EQ(full.width, picture.width);
    EXPECT_EQ(full.height, picture.height);
    PixelImage thumbnail;
    ASSERT_TRUE(ReadPngFile(app_.WorkingFile(name + ".clt"), thumbnail));
    ASSERT_EQ(thumbnail.width, 278);
    ASSERT_EQ(thumbnail.height, 60);
    ExpectPictureAt(thumbnail, picture.box);
    EXPECT_EQ(PixelAt(thumbnail, 277, 0), kLavender);
  }
}

TEST_F(ImageCapture, UncompressedPicturesAreStoredAsBmp) {
  PrefsFile prefs;
  prefs.values[PrefsFile::CompressImages] = 0;
  StartWith(prefs);
  ASSERT_TRUE(PutClipboardBitmap(64, 48, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_TRUE(FileIsBmp(app_.WorkingFile(ItemNames().at(0) + ".bmp")));
}

TEST_F(ImageCapture, PictureWithTextMakesTwoItemsAndLeavesTheClipboardAsItWas) {
  StartWithDefaults();
  ClipboardSource source;
  const UINT own = RegisterClipboardFormatA("KsTest Private Drawing");
  const std::vector<uint8_t> drawing = {1, 2, 3, 4, 5};
  ASSERT_TRUE(source.Copy({{CF_TEXT, TextBytes("caption of the picture")}, {own, drawing}}, 40, 30, kPicture));
  ASSERT_TRUE(WaitForRows(2));
  EXPECT_TRUE(RowsStay(2));
  // Every format stays, and so does the copying program as the clipboard's owner.
  int width = 0, height = 0;
  ASSERT_TRUE(ClipboardBitmapSize(width, height));
  EXPECT_EQ(width, 40);
  EXPECT_EQ(height, 30);
  EXPECT_TRUE(NearColour(ClipboardBitmapPixel(20, 15), kPicture));
  EXPECT_EQ(ClipboardText(), "caption of the picture");
  {
    ClipboardGuard clipboard;
    ASSERT_TRUE(clipboard.Open());
    EXPECT_EQ(GetClipboardOwner(), source.Window());
    HANDLE block = GetClipboardData(own);
    ASSERT_NE(block, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + drawing.size()), drawing);
    GlobalUnlock(block);
  }
  const StoredItems stored = ExitAndReadItems();
  ASSERT_EQ(stored.items.size(), 2u);
  EXPECT_EQ(stored.items[0].kind, 1) << "the text above the picture";
  EXPECT_EQ(stored.items[1].kind, 0);
  EXPECT_EQ(TextOf(stored.items[0].name), "caption of the picture");
}

TEST_F(ImageCapture, LimitOfOneKeepsOnlyTheTextOfAPictureWithText) {
  PrefsFile prefs;
  prefs.values[PrefsFile::ItemLimit] = 1;
  StartWith(prefs);
  ASSERT_TRUE(PutClipboardBitmapAndText(40, 30, kPicture, "the survivor"));
  ASSERT_TRUE(WaitUntil([&] { return ItemFiles().size() == 2 && FileExists(app_.WorkingFile(ItemNames()[0] + ".txt")); }));
  EXPECT_TRUE(RowsStay(1));
  const std::vector<std::string> names = ItemNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(TextOf(names[0]), "the survivor");
}

TEST_F(ImageCapture, PutBackOfAPictureMakesNoItem) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardBitmap(30, 20, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(PutClipboardText("something else"));
  ASSERT_TRUE(WaitForRows(2));
  CommandOnRow(1, CmdPutToClipboard);
  int width = 0, height = 0;
  ASSERT_TRUE(WaitUntil([&] { return ClipboardBitmapSize(width, height); }));
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 20);
  EXPECT_TRUE(NearColour(ClipboardBitmapPixel(5, 5), kPicture));
  EXPECT_TRUE(RowsStay(2));
}

TEST_F(ImageCapture, TheSameSelectionCopiedTwiceMakesTwoItems) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardBitmap(30, 20, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(PutClipboardBitmap(30, 20, kPicture));
  ASSERT_TRUE(WaitForRows(2));
  EXPECT_TRUE(RowsStay(2));
}

TEST_F(ImageCapture, DeletedItemsGiveTheirThumbnailSlotsToNewOnes) {
  StartWithDefaults();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(PutClipboardText("slot " + std::to_string(i)));
    ASSERT_TRUE(WaitForRows(i + 1));
  }
  PostCommand(Main(), CmdCheckAllItems);
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(WaitForRows(0));
  EXPECT_TRUE(ItemFiles().empty());
  ASSERT_TRUE(PutClipboardBitmap(30, 20, kPicture));
  ASSERT_TRUE(WaitForRows(1));
  for (int i = 3; i < 5; ++i) {
    ASSERT_TRUE(PutClipboardText("slot " + std::to_string(i)));
    ASSERT_TRUE(WaitForRows(i - 1));
  }
  std::set<int> slots;
  for (int row = 0; row < 3; ++row) slots.insert(ListRowImage(List(), row));
  EXPECT_EQ(slots, (std::set<int>{0, 1, 2}));
}

}  // namespace
