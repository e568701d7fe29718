// The built main window: geometry, list, thumbnails, shortcuts, the selection frame, the column
// width rules and check marks by kind.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "store/collection_win.h"
#include "core/app_state.h"
#include "core/commands.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/collection.h"
#include "tests/windows/layer_test_util.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

constexpr COLORREF kThumbColour = RGB(10, 120, 30);

// One main window serves the whole suite: hiding or destroying a shown window is slow under a
// display without a window manager. Each test starts with an empty list.
class MainWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Build(SettingsState{}); }
  static void TearDownTestSuite() { TearDownWindow(); }

  void SetUp() override { ASSERT_NE(handle_, nullptr); }
  void TearDown() override {
    EmptyCollectionForTests();
    FitColumnWidth();
  }

  static void Build(const SettingsState& settings) {
    Settings = settings;
    Collection = CollectionState{};
    // The rows' thumbnails are read from their files as the list draws them.
    App.AppDir = App.DataDir = NewTempFolder("mainwindow") + "\\";
    CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
    BuildMainWindowForTests();
    handle_ = WindowHandle(Ui.MainWindow);
  }

  static void TearDownWindow() {
    DisposeMainWindowForTests();
    handle_ = nullptr;
  }

  // Appends an item of the kind with a plain thumbnail file, as the stored-items loader does.
  void AddItem(int kind) {
    const std::string name = "item" + std::to_string(Collection.Items.Count());
    int picture = NewImage(-1, ThumbWidth, ThumbHeight);
    ASSERT_TRUE(BeginDrawing(picture));
    DrawBox(0, 0, ThumbWidth, ThumbHeight, kThumbColour);
    EndDrawing();
    ASSERT_EQ(SaveImageFile(picture, NewItemFilePath(name, kind, ItemFile::Thumbnail), ImageEncoding::Png), 1);
    DisposeImage(picture);
    AppendItems({StoredItem{kind, 0, name}});
  }

  void RemoveLastItem() { RemoveItem(Collection.Items.At(Collection.Items.Count() - 1).name); }

  // Draws a row's thumbnail into a bitmap of our own and reads one pixel.
  COLORREF ThumbPixel(int row, int x, int y) {
    LVITEMA item{};
    item.iImage = RowThumbnailSlot(row);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, ThumbWidth, ThumbHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ImageList_Draw(ThumbnailImageList(), item.iImage, dc, 0, 0, ILD_NORMAL);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixel;
  }

  int ColumnWidthNow() { return static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOLUMNWIDTH, 0, 0)); }

  static HWND handle_;
};
HWND MainWindow::handle_ = nullptr;

TEST_F(MainWindow, GeometryStylesAndTitle) {
  EXPECT_EQ(FindWindowA(nullptr, "KepSil!"), handle_);
  RECT frame{}, client{};
  GetWindowRect(handle_, &frame);
  GetClientRect(handle_, &client);
  EXPECT_EQ(client.right, 305);
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 50);
  EXPECT_EQ(frame.right - frame.left, Ui.BuiltWindowWidth);
  EXPECT_EQ(frame.bottom - frame.top, Ui.MinWindowHeight);
  EXPECT_EQ(Settings.SavedWindowHeight, Ui.MinWindowHeight);
  EXPECT_EQ(client.bottom, 250);

  LONG style = GetWindowLongA(handle_, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_TRUE(IsWindowVisible(handle_));

  RECT list{};
  GetWindowRect(Ui.ItemListHandle, &list);
  MapWindowPoints(nullptr, handle_, reinterpret_cast<POINT*>(&list), 2);
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top, 0);
  EXPECT_EQ(list.right, 305);
  EXPECT_EQ(list.bottom, 227);
  EXPECT_TRUE(SendMessageA(Ui.ItemListHandle, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
  EXPECT_EQ(SendMessageA(Ui.ItemListHandle, LVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(BackgroundColour));
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(Ui.ItemListHandle, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            ThumbnailImageList());
  int width = 0, height = 0;
  ImageList_GetIconSize(ThumbnailImageList(), &width, &height);
  EXPECT_EQ(width, 278);
  EXPECT_EQ(height, 60);

  char notice[128] = {};
  SendMessageA(ControlHandle(0), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(notice));
  EXPECT_GT(std::string(notice).size(), 5u);
  EXPECT_NE(Ui.TrayIcon, 0);  // the shell took the icon
}

TEST_F(MainWindow, SavedPlaceHeightAndHiddenStart) {
  SettingsState saved;
  saved.StartVisible = 0;
  saved.SavedWindowX = 120;
  saved.SavedWindowY = 80;
  saved.SavedWindowHeight = 400;
  TearDownWindow();
  Build(saved);
  EXPECT_FALSE(IsWindowVisible(handle_));
  RECT frame{};
  GetWindowRect(handle_, &frame);
  EXPECT_EQ(frame.left, 120);
  EXPECT_EQ(frame.top, 80);
  EXPECT_EQ(frame.bottom - frame.top, 400);
  EXPECT_EQ(frame.right - frame.left, Ui.BuiltWindowWidth);
  // The rest of the suite works on a window with the default settings again.
  TearDownWindow();
  Build(SettingsState{});
}

TEST_F(MainWindow, TextIconIsTheWordOnBackground) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ImageBitmap(Thumbs.TextIcon));
  EXPECT_EQ(WidthOfImage(Thumbs.TextIcon), 60);
  EXPECT_EQ(GetPixel(dc, 0, 0), BackgroundColour);
  EXPECT_EQ(GetPixel(dc, 59, 59), BackgroundColour);
  int dark = 0;
  for (int y = 15; y < 45; ++y) {
    for (int x = 5; x < 55; ++x) dark += GetPixel(dc, x, y) == RGB(0, 0, 0);
  }
  EXPECT_GT(dark, 40);  // "Text" is written in black
  SelectObject(dc, old);
  DeleteDC(dc);
}

TEST_F(MainWindow, ShortcutsGiveTheirCommands) {
  SetForegroundWindow(handle_);
  SetActiveWindow(handle_);
  ASSERT_EQ(GetActiveWindow(), handle_);
  while (PollForEvent(30) != EventNone) {
  }
  struct Key {
    int virtualKey;
    int command;
  };
  for (Key key : {Key{VK_DELETE, KeyDelete}, Key{VK_BACK, KeyBackspace}, Key{VK_RETURN, KeyReturn},
                  Key{VK_SPACE, KeySpace}, Key{'D', KeyDetail}}) {
    PostMessageA(Ui.ItemListHandle, WM_KEYDOWN, key.virtualKey, 0);
    ASSERT_EQ(PollForEvent(), EventMenu) << key.virtualKey;
    EXPECT_EQ(EventCommand(), key.command);
  }
}

TEST_F(MainWindow, SelectionFrameMovesWithTheSelection) {
  for (int i = 0; i < 3; ++i) AddItem(ImageItem);
  EXPECT_EQ(Collection.HighlightedIndex, -1);
  SetControlState(Ui.ItemList, 1);
  UpdateSelectionHighlight();
  EXPECT_EQ(Collection.HighlightedIndex, 1);

  const COLORREF red = SelectionColour;
  // Two pixels wide round the left 60 x 60 square, without its corner pixels.
  for (int i = 1; i <= 58; ++i) {
    for (int edge : {0, 1, 58, 59}) {
      ASSERT_EQ(ThumbPixel(1, edge, i), red) << edge << "," << i;
      ASSERT_EQ(ThumbPixel(1, i, edge), red) << i << "," << edge;
    }
  }
  for (POINT corner : {POINT{0, 0}, POINT{59, 0}, POINT{0, 59}, POINT{59, 59}}) {
    EXPECT_EQ(ThumbPixel(1, corner.x, corner.y), kThumbColour) << corner.x << "," << corner.y;
  }
  EXPECT_EQ(ThumbPixel(1, 2, 2), kThumbColour);
  EXPECT_EQ(ThumbPixel(1, 60, 1), kThumbColour);
  EXPECT_EQ(ThumbPixel(0, 0, 1), kThumbColour);

  SetControlState(Ui.ItemList, 2);
  UpdateSelectionHighlight();
  EXPECT_EQ(Collection.HighlightedIndex, 2);
  EXPECT_EQ(ThumbPixel(2, 0, 30), red);
  // Erasing paints the frame in the background colour.
  EXPECT_EQ(ThumbPixel(1, 0, 30), BackgroundColour);
  EXPECT_EQ(ThumbPixel(1, 30, 59), BackgroundColour);
  EXPECT_EQ(ThumbPixel(1, 2, 2), kThumbColour);

  // A frame change repaints rows whose selection did not change, too.
  SetControlState(Ui.ItemList, 0);
  UpdateWindow(Ui.ItemListHandle);
  UpdateSelectionHighlight();
  RECT stale{};
  stale.left = LVIR_BOUNDS;
  SendMessageA(Ui.ItemListHandle, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&stale));
  HRGN dirty = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(Ui.ItemListHandle, dirty, FALSE);
  EXPECT_TRUE(RectInRegion(dirty, &stale));
  DeleteObject(dirty);
  EXPECT_EQ(ThumbPixel(2, 0, 30), BackgroundColour);
  SetControlState(Ui.ItemList, 2);
  UpdateSelectionHighlight();

  // The same selection again changes nothing; no selection erases the frame.
  UpdateSelectionHighlight();
  EXPECT_EQ(ThumbPixel(2, 0, 30), red);
  SetControlState(Ui.ItemList, -1);
  UpdateSelectionHighlight();
  EXPECT_EQ(Collection.HighlightedIndex, -1);
  EXPECT_EQ(ThumbPixel(2, 0, 30), BackgroundColour);
}

TEST_F(MainWindow, ColumnNarrowsExactlyPastThePage) {
  int perPage = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_GT(perPage, 0);
  for (int i = 0; i < perPage; ++i) AddItem(TextItem);
  FitColumnWidth();
  KeepColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 301);
  EXPECT_EQ(Ui.ColumnNarrowed, 0);

  AddItem(TextItem);
  FitColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 283);
  EXPECT_EQ(Ui.ColumnWidth, 283);
  EXPECT_EQ(Ui.ColumnNarrowed, 1);

  RemoveLastItem();
  FitColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 301);
  EXPECT_EQ(Ui.ColumnNarrowed, 0);
}

TEST_F(MainWindow, DraggedColumnSnapsBack) {
  // The build's auto-size lasts only until the first idle pass.
  KeepColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 301);
  SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, 150);
  KeepColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 301);

  for (int i = 0; i < 8; ++i) AddItem(ImageItem);
  FitColumnWidth();
  SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, 400);
  KeepColumnWidth();
  EXPECT_EQ(ColumnWidthNow(), 283);
}

TEST_F(MainWindow, CheckedByKindTouchesOnlyThatKind) {
  AddItem(ImageItem);
  AddItem(TextItem);
  AddItem(ImageItem);
  SetRowState(Ui.ItemList, 1, RowSelected);

  SetCheckedByKind(1, ImageItem);
  EXPECT_EQ(GetRowState(Ui.ItemList, 0), RowChecked);
  EXPECT_EQ(GetRowState(Ui.ItemList, 1), RowSelected);  // the text row keeps its state
  EXPECT_EQ(GetRowState(Ui.ItemList, 2), RowChecked);

  // A touched row loses its selection.
  SetRowState(Ui.ItemList, 2, RowSelected | RowChecked);
  SetCheckedByKind(0, ImageItem);
  EXPECT_EQ(GetRowState(Ui.ItemList, 2), 0);
  EXPECT_EQ(GetRowState(Ui.ItemList, 0), 0);
  EXPECT_EQ(GetControlState(Ui.ItemList), -1);

  SetCheckedByKind(1, TextItem);
  EXPECT_EQ(GetRowState(Ui.ItemList, 1), RowChecked);
  EXPECT_EQ(GetRowState(Ui.ItemList, 0), 0);

  SetCheckedByKind(1, EveryKind);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(GetRowState(Ui.ItemList, row), RowChecked);
  SetCheckedByKind(0, EveryKind);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(GetRowState(Ui.ItemList, row), 0);
}

}  // namespace
