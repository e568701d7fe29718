// The list filled from items.dat at start: rows in file order with their check marks, and each
// row's thumbnail as its file holds it (PNG or bitmap), or blank when the file cannot give one.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/collection_win.h"
#include "core/app_state.h"
#include "store/items_file.h"
#include "store/stored_items_win.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/collection.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

// A thumbnail-sized picture whose colour tells the item and the position apart.
PixelImage Picture(int seed, int width = ThumbWidth, int height = ThumbHeight) {
  PixelImage image;
  AllocatePixelImage(image, width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y * 4);
      p[2] = static_cast<uint8_t>(seed * 37);
    }
  }
  return image;
}

COLORREF PictureColour(int seed, int x, int y) {
  return RGB(static_cast<uint8_t>(seed * 37), static_cast<uint8_t>(y * 4), static_cast<uint8_t>(x));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD wrote = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  CloseHandle(file);
}

class StoredItemsLoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Settings = SettingsState{};
    BuildMainWindowForTests();
  }
  static void TearDownTestSuite() { DisposeMainWindowForTests(); }

  void SetUp() override {
    App.AppDir = App.DataDir = NewTempFolder("kepsil-stored-");
    ASSERT_TRUE(CreateDirectoryA(WorkingDirectory().c_str(), nullptr));
  }
  void TearDown() override {
    EmptyCollectionForTests();
    FitColumnWidth();
    RemoveWorkingFolder();
  }

  void Add(const std::string& name, int checked, const std::vector<uint8_t>& thumbnail) {
    records_.push_back(StoredItem{0, checked, name});
    if (thumbnail.empty()) return;
    WriteBytes(WorkingPath(name + ".clt"), thumbnail);
  }
  void AddPng(const std::string& name, int checked, const PixelImage& picture) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodePng(picture, 0, bytes));
    Add(name, checked, bytes);
  }
  void Load() {
    ASSERT_TRUE(SaveItemsFile(WorkingPath("items.dat"), records_));
    LoadStoredItems();
  }

  static int SlotOf(int row) { return RowThumbnailSlot(row); }
  // The row's thumbnail as the list draws it, at one point.
  static COLORREF ThumbPixel(int row, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, ThumbWidth, ThumbHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ImageList_Draw(ThumbnailImageList(), SlotOf(row), dc, 0, 0, ILD_NORMAL);
    const COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
  }
  static void ExpectPicture(int row, int seed) {
    for (POINT at : {POINT{0, 0}, POINT{277, 59}, POINT{140, 31}}) {
      EXPECT_EQ(ThumbPixel(row, at.x, at.y), PictureColour(seed, at.x, at.y)) << "row " << row << " at " << at.x;
    }
  }
  static void ExpectBlank(int row) {
    EXPECT_EQ(ThumbPixel(row, 0, 0), BackgroundColour) << "row " << row;
    EXPECT_EQ(ThumbPixel(row, 200, 40), BackgroundColour) << "row " << row;
  }

  std::vector<StoredItem> records_;
};

TEST_F(StoredItemsLoad, EachRowShowsWhatItsThumbnailFileHolds) {
  AddPng("png-checked", 1, Picture(1));
  std::vector<uint8_t> bitmap;
  ASSERT_TRUE(EncodeBmp(Picture(2), 0, bitmap));
  Add("bitmap", 0, bitmap);
  AddPng("wrong-size", 1, Picture(3, ThumbWidth, ThumbHeight + 2));
  std::vector<uint8_t> cut;
  ASSERT_TRUE(EncodePng(Picture(4), 0, cut));
  cut.resize(cut.size() / 2);
  Add("cut", 0, cut);
  Add("missing", 0, {});
  Add("text-file", 0, {'h', 'e', 'l', 'l', 'o'});
  AddPng("png", 0, Picture(5));
  Load();

  ASSERT_EQ(RowCount(Ui.ItemList), 7);
  ASSERT_EQ(Collection.Items.Count(), 7);
  std::set<int> slots;
  for (int row = 0; row < 7; ++row) {
    EXPECT_EQ(Collection.Items.At(row).name, records_[static_cast<size_t>(row)].name);
    EXPECT_EQ((GetRowState(Ui.ItemList, row) & RowChecked) != 0, records_[static_cast<size_t>(row)].checked == 1);
    EXPECT_TRUE(slots.insert(SlotOf(row)).second) << "slot shown twice, row " << row;
  }
  ExpectPicture(0, 1);
  ExpectPicture(1, 2);
  for (int row : {2, 3, 4, 5}) ExpectBlank(row);
  ExpectPicture(6, 5);
}

TEST_F(StoredItemsLoad, ManyItemsComeBackInOrderWithTheColumnNarrowed) {
  constexpr int kCount = 150;
  for (int i = 0; i < kCount; ++i) AddPng("item" + std::to_string(i), i % 3 == 0 ? 1 : 0, Picture(i % 7));
  Load();

  ASSERT_EQ(RowCount(Ui.ItemList), kCount);
  for (int row = 0; row < kCount; ++row) {
    ASSERT_EQ(Collection.Items.At(row).name, "item" + std::to_string(row));
    ASSERT_EQ((GetRowState(Ui.ItemList, row) & RowChecked) != 0, row % 3 == 0) << row;
  }
  for (int row : {0, 1, 77, kCount - 1}) ExpectPicture(row, row % 7);
  EXPECT_EQ(Ui.ColumnNarrowed, 1);
  EXPECT_EQ(SendMessageA(Ui.ItemListHandle, LVM_GETCOLUMNWIDTH, 0, 0), Ui.ColumnWidth);
}

TEST_F(StoredItemsLoad, AFewItemsMoreThanFitNarrowTheColumnBeforeItShows) {
  // Counted with the thumbnails' row height: more rows than fit, though far fewer than would fit
  // rows without pictures. A wide column would need a horizontal scroll bar beside the vertical one.
  const int perPage = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(perPage, 0);
  for (int i = 0; i <= perPage; ++i) AddPng("few" + std::to_string(i), 1, Picture(i));
  Load();
  ASSERT_EQ(RowCount(Ui.ItemList), perPage + 1);
  EXPECT_EQ(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0), perPage);
  EXPECT_EQ(Ui.ColumnNarrowed, 1);
  EXPECT_EQ(SendMessageA(Ui.ItemListHandle, LVM_GETCOLUMNWIDTH, 0, 0), 283);
}

// More items than the image list holds thumbnails: each row shows its own picture whenever it is
// drawn, whatever was drawn before it.
TEST_F(StoredItemsLoad, MixedThumbnailsAcrossBatchesKeepTheirRowsAndSlots) {
  constexpr int kCount = 123;
  std::vector<uint8_t> bitmap;
  ASSERT_TRUE(EncodeBmp(Picture(6), 0, bitmap));
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "mixed" + std::to_string(i);
    if (i % 13 == 5) {
      Add(name, 1, bitmap);
    } else if (i % 17 == 16) {
      Add(name, 0, {});
    } else {
      AddPng(name, i % 2, Picture(i % 5));
    }
  }
  Load();

  ASSERT_EQ(RowCount(Ui.ItemList), kCount);
  for (int row = 0; row < kCount; ++row) {
    const bool checked = row % 13 == 5 || (row % 17 != 16 && row % 2 == 1);
    ASSERT_EQ((GetRowState(Ui.ItemList, row) & RowChecked) != 0, checked) << row;
  }
  for (int row : {0, 48, 49, 50, 51, 99, 100, 101, 122}) {
    if (row % 13 != 5 && row % 17 != 16) ExpectPicture(row, row % 5);
  }
  for (int row : {5, 44, 57, 122}) ExpectPicture(row, 6);
  for (int row : {16, 50, 101}) ExpectBlank(row);
}

}  // namespace
