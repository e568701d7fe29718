// Capture in process: the item list, rows, thumbnail slots and files stay in step, also when
// files cannot be written; thumbnails are drawn as described; the store can be reset.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/collection_win.h"
#include "core/app_state.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/item_actions.h"
#include "store/collection.h"
#include "store/picture_writer_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

constexpr COLORREF kLavender = RGB(230, 230, 250);

class CaptureStore : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Settings = SettingsState{};
    Settings.ShowAfterCopy = 0;
    BuildMainWindowForTests();
  }
  static void TearDownTestSuite() { DisposeMainWindowForTests(); }

  void SetUp() override {
    App.AppDir = App.DataDir = NewTempFolder("kepsil-capture-");
    ASSERT_TRUE(CreateDirectoryA(WorkingDirectory().c_str(), nullptr));
    Settings.ItemLimit = 20;
    Settings.NewItemsChecked = 1;
    Settings.CompressImages = 1;
    Capture = CaptureState{};
  }
  void TearDown() override {
    DiscardPictureWrites();
    EmptyCollectionForTests();
    RemoveWorkingFolder();
  }

  static void CaptureText(const std::string& text) { CaptureEntry(0, &text); }

  // Rows and items agree; every row shown has a slot of its own.
  static void ExpectStoreInStep() {
    ASSERT_EQ(RowCount(Ui.ItemList), Collection.Items.Count());
    std::set<int> used;
    for (int row = 0; row < RowCount(Ui.ItemList); ++row) {
      const int slot = RowThumbnailSlot(row);
      EXPECT_GE(slot, 0);
      EXPECT_LT(slot, ImageList_GetImageCount(ThumbnailImageList()));
      EXPECT_TRUE(used.insert(slot).second) << "slot " << slot << " shown twice";
    }
  }

  // Pixels of the thumbnail written for the item at that position.
  static PixelImage Thumbnail(int position) {
    PixelImage pixels;
    const int image = LoadImageFile(WorkingPath(Collection.Items.At(position).name + ".clt"));
    EXPECT_NE(image, 0);
    EXPECT_TRUE(ReadImagePixels(image, pixels));
    DisposeImage(image);
    return pixels;
  }
  static COLORREF Pixel(const PixelImage& image, int x, int y) {
    const uint8_t* pixel = image.Row(y) + x * 3;
    return RGB(pixel[2], pixel[1], pixel[0]);
  }
  // Ink in the text panel between the columns, and its colour.
  static int InkColumns(const PixelImage& image, int fromX, int toX, COLORREF* ink = nullptr) {
    int columns = 0;
    for (int x = fromX; x < toX; ++x) {
      for (int y = 3; y < 57; ++y) {
        if (Pixel(image, x, y) != kLavender) {
          if (ink) *ink = Pixel(image, x, y);
          ++columns;
          break;
        }
      }
    }
    return columns;
  }
};

TEST_F(CaptureStore, AnItemWhoseFilesCannotBeWrittenIsNotKept) {
  CaptureText("kept");
  ASSERT_EQ(Collection.Items.Count(), 1);
  // The working directory goes: nothing can be written any more.
  for (const std::string& file : FilesIn(App.AppDir + "Clipboard\\")) DeleteFileA(WorkingPath(file).c_str());
  ASSERT_TRUE(RemoveDirectoryA(WorkingDirectory().c_str()));
  CaptureText("lost");
  const int image = NewImage(-1, 30, 20);
  CaptureEntry(image, nullptr);
  EXPECT_FALSE(ImageExists(image)) << "capture releases a file image in every case";
  EXPECT_EQ(Collection.Items.Count(), 1);
  ExpectStoreInStep();
  // The text that failed is not remembered as captured: once files can be written it is taken.
  ASSERT_TRUE(CreateDirectoryA(WorkingDirectory().c_str(), nullptr));
  CaptureText("lost");
  EXPECT_EQ(Collection.Items.Count(), 2);
  ExpectStoreInStep();
}

TEST_F(CaptureStore, TrimmingAndDeletingHandSlotsOnToNewItems) {
  Settings.ItemLimit = 3;
  // The image list holds a fixed number of thumbnails, whatever the number of items.
  const int slots = ImageList_GetImageCount(ThumbnailImageList());
  for (int i = 0; i < 8; ++i) CaptureText("text " + std::to_string(i));
  EXPECT_EQ(Collection.Items.Count(), 3);
  EXPECT_EQ(ImageList_GetImageCount(ThumbnailImageList()), slots);
  ExpectStoreInStep();
  RemoveItem(Collection.Items.At(1).name);
  ExpectStoreInStep();
  CaptureText("after the deletion");
  EXPECT_EQ(ImageList_GetImageCount(ThumbnailImageList()), slots);
  ExpectStoreInStep();
  EXPECT_EQ(FilesIn(App.AppDir + "Clipboard\\").size(), 6u);
}

TEST_F(CaptureStore, OneLineTextsWrapAndSeveralLinesAreDrawnUnwrapped) {
  const std::string words = "many words that go on and on so that they must wrap";
  CaptureText(words + " " + words);
  CaptureText(words + " " + words + "\r\nshort");
  // Newest first: position 0 holds the text of several lines.
  const PixelImage lines = Thumbnail(0);
  const PixelImage wrapped = Thumbnail(1);
  EXPECT_GT(InkColumns(wrapped, 65, 65 + 150), 50);
  EXPECT_EQ(InkColumns(wrapped, 65 + 191, 275), 0) << "wrapped inside 190 pixels";
  EXPECT_GT(InkColumns(lines, 65 + 191, 275), 0) << "a long line runs to the panel's edge";
  EXPECT_EQ(InkColumns(lines, 275, 278), 0) << "and is cut there";
  // The text icon is painted at the left.
  EXPECT_GT(InkColumns(lines, 0, 60), 10);
}

TEST_F(CaptureStore, TextColoursAlternateAcrossImageItems) {
  CaptureText("first");
  CaptureEntry(NewImage(-1, 10, 10), nullptr);
  CaptureText("second");
  CaptureText("third");
  COLORREF first = 0, second = 0, third = 0;
  ASSERT_GT(InkColumns(Thumbnail(3), 65, 275, &first), 0);
  ASSERT_GT(InkColumns(Thumbnail(1), 65, 275, &second), 0);
  ASSERT_GT(InkColumns(Thumbnail(0), 65, 275, &third), 0);
  // Anti-aliased edges blend with lavender; the dominant channel tells the colour.
  EXPECT_GT(GetRValue(first), GetBValue(first)) << "red first";
  EXPECT_GT(GetBValue(second), GetRValue(second)) << "then blue";
  EXPECT_GT(GetRValue(third), GetBValue(third));
  EXPECT_EQ(Collection.Items.At(2).kind, ImageItem);
}

TEST_F(CaptureStore, ClipboardTextBlocksAreReadNoFurtherThanTheirEnd) {
  // A block without a terminating zero: its bytes, and nothing after them, make the text.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
  ASSERT_NE(block, nullptr);
  char* bytes = static_cast<char*>(GlobalLock(block));
  memcpy(bytes, "ABCDE", 5);
  GlobalUnlock(block);
  const size_t size = GlobalSize(block);
  CaptureEntry(static_cast<HBITMAP>(nullptr), block);
  ASSERT_EQ(Collection.Items.Count(), 1);
  std::vector<uint8_t> text;
  ASSERT_TRUE(ReadFileBytes(WorkingPath(Collection.Items.At(0).name + ".txt"), text));
  EXPECT_EQ(text.size(), size);
  EXPECT_EQ(std::string(text.begin(), text.begin() + 5), "ABCDE");
  GlobalFree(block);
  // A block of 64,000 bytes or more is refused.
  HGLOBAL large = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 70001);
  memset(GlobalLock(large), 'x', 70000);
  GlobalUnlock(large);
  CaptureEntry(static_cast<HBITMAP>(nullptr), large);
  EXPECT_EQ(Collection.Items.Count(), 1);
  GlobalFree(large);
}

TEST_F(CaptureStore, ResetEmptiesEverythingAndForgetsTheLastText) {
  CaptureText("before the reset");
  CaptureEntry(NewImage(-1, 10, 10), nullptr);
  ASSERT_TRUE(WriteFileReplacing(WorkingPath("prefs.dat"), {1, 2, 3}));
  SetFileAttributesA(WorkingPath("prefs.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  ResetCollection("");
  EXPECT_EQ(Collection.Items.Count(), 0);
  EXPECT_EQ(RowCount(Ui.ItemList), 0);
  EXPECT_TRUE(FilesIn(App.AppDir + "Clipboard\\").empty()) << "read-only files go too";
  EXPECT_NE(ThumbnailImageList(), nullptr);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(Ui.ItemListHandle, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            ThumbnailImageList());
  CaptureText("before the reset");
  EXPECT_EQ(Collection.Items.Count(), 1) << "the text captured last before the reset is taken again";
  ExpectStoreInStep();
}

}  // namespace
