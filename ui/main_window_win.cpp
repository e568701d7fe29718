// Building the main window with its list, and the small list operations the program calls.
#include "ui/main_window.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/item_store.h"
#include "ui/layer/controls.h"
#include "ui/layer/drawing.h"
#include "ui/layer/tray.h"
#include "ui/layer/windows.h"
#include "ui/menus.h"

MainWindowState Ui;

namespace {

constexpr int kClientWidth = 305;
constexpr int kClientHeight = 250;
constexpr int kWideColumn = 301;
constexpr int kNarrowColumn = 283;
constexpr char kTitle[] = "KepSil!";

void BindShortcuts(int window) {
  AddShortcut(window, VK_DELETE, KeyDelete);
  AddShortcut(window, VK_BACK, KeyBackspace);
  AddShortcut(window, VK_RETURN, KeyReturn);
  AddShortcut(window, VK_SPACE, KeySpace);
  AddShortcut(window, 'D', KeyDetail);
}

int MakeTextIcon() {
  int icon = NewImage(-1, 60, 60);
  if (!icon || !BeginDrawing(icon)) return icon;
  DrawBox(0, 0, 60, 60, BackgroundColour);
  SetDrawMode(DrawTransparent);
  int font = LoadPointFont("Times New Roman", 20, 0);
  SetDrawFont(FontHandle(font));
  SetDrawColour(0, 0, 0);
  MoveDrawCursor(5, 15);
  DrawString("Text");
  EndDrawing();
  return icon;
}

void ShowThumbnails(HWND list) {
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Ui.ThumbImageList));
}

// Re-assigning the same image list does not repaint every list view (Wine's keeps the old
// pictures of rows whose selection did not change), so the list is invalidated as well.
void RepaintThumbnails(HWND list) {
  ShowThumbnails(list);
  InvalidateRect(list, nullptr, FALSE);
}

void PrepareList(HWND list) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_BORDERSELECT, LVS_EX_BORDERSELECT);
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  ShowThumbnails(list);
  SendMessageA(list, LVM_SETBKCOLOR, 0, BackgroundColour);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, BackgroundColour);
}

std::string StatusNotice() {
  return Texts.LanguageGerman ? "Alle Befehle: oben auf \"Menu\" klicken" : "Click \"Menu\" above for all commands";
}

void AddMainTrayIcon(HWND window) {
  char exe[1000] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), exe, 0);
  // ExtractIconA answers 1 for a file that is no program.
  if (icon == reinterpret_cast<HICON>(1)) icon = nullptr;
  Ui.TrayIcon = AddTrayIcon(-1, window, icon);
  SetTrayTip(Ui.TrayIcon, kTitle);
}

// The column's width is restored after whatever may have changed it (a drag or double click on
// the header's divider, the list's own auto-size, a size change), once that change is complete:
// the check is posted to the list rather than made inside the header's notification. The list is
// subclassed the plain way, with its previous procedure kept here: Wine's comctl32 subclassing
// looks the chain up through a window property, a server round trip, on every message.
WNDPROC ListPreviousProc = nullptr;
bool ColumnCheckPosted = false;

UINT ColumnCheckMessage() {
  static const UINT message = RegisterWindowMessageA("KepSilColumnCheck");
  return message;
}

bool MayChangeColumn(UINT message, LPARAM lParam) {
  switch (message) {
    case LVM_SETCOLUMNWIDTH:
    case LVM_SETCOLUMNA:
    case LVM_SETCOLUMNW:
    case WM_SIZE: return true;
    case WM_NOTIFY: {
      // Only the list's header sends header notifications.
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      return header && header->code <= HDN_FIRST && header->code >= HDN_LAST;
    }
    default: return false;
  }
}

LRESULT CALLBACK WatchColumn(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ColumnCheckMessage() && message != 0) {
    ColumnCheckPosted = false;
    KeepColumnWidth();
    return 0;
  }
  const WNDPROC previous = ListPreviousProc;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    ListPreviousProc = nullptr;
    ColumnCheckPosted = false;
  }
  const LRESULT result = CallWindowProcW(previous, list, message, wParam, lParam);
  if (!ColumnCheckPosted && ListPreviousProc && MayChangeColumn(message, lParam)) {
    ColumnCheckPosted = PostMessageA(list, ColumnCheckMessage(), 0, 0) != FALSE;
  }
  return result;
}

}  // namespace

HIMAGELIST NewThumbImageList() { return ImageList_Create(ThumbWidth, ThumbHeight, ILC_COLORDDB | ILC_MASK, 0, 0); }

void BuildMainWindow() {
  // Created just right of the screen: nothing shows before it is placed below.
  Ui.MainWindow = NewWindow(-1, App.ScreenWidth, 0, kClientWidth, kClientHeight,
                            WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, kTitle, nullptr);
  HWND window = WindowHandle(Ui.MainWindow);
  DragAcceptFiles(window, TRUE);

  RECT frame{};
  GetWindowRect(window, &frame);
  Ui.BuiltWindowWidth = frame.right - frame.left;
  Ui.MinWindowHeight = frame.bottom - frame.top;
  if (Settings.SavedWindowHeight == 0) Settings.SavedWindowHeight = Ui.MinWindowHeight;

  Ui.ColumnWidth = kWideColumn;
  Ui.ColumnNarrowed = 0;
  BindShortcuts(Ui.MainWindow);

  BeginControls(window);
  Ui.ItemList = NewListControl(-1, 0, 0, kClientWidth, Settings.ListHeight, "Menu", kWideColumn,
                               ListFullRowSelect | ListGridLines | ListCheckBoxes);
  Ui.ItemListHandle = ControlHandle(Ui.ItemList);
  WatchColumnWidth(Ui.ItemListHandle);
  Ui.ThumbImageList = NewThumbImageList();
  Ui.TextIcon = MakeTextIcon();
  PrepareList(Ui.ItemListHandle);

  NewStatusBar(0, window);
  SetStatusText(0, 0, StatusNotice());

  if (Settings.StartVisible == 0) ShowWindow(window, SW_HIDE);
  SetWindowPos(window, HWND_TOPMOST, Settings.SavedWindowX, Settings.SavedWindowY, Ui.BuiltWindowWidth,
               Settings.SavedWindowHeight, 0);

  Ui.NextClipboardViewer = SetClipboardViewer(window);
  AddMainTrayIcon(window);
  BuildMenus();
}

void UpdateSelectionHighlight() {
  int selected = GetControlState(Ui.ItemList);
  if (selected == Store.HighlightedIndex) return;
  if (selected != -1) {
    DrawSelectionFrame(selected, SelectionColour);
    RepaintThumbnails(Ui.ItemListHandle);
  }
  if (Store.HighlightedIndex != -1) {
    DrawSelectionFrame(Store.HighlightedIndex, BackgroundColour);
    RepaintThumbnails(Ui.ItemListHandle);
  }
  Store.HighlightedIndex = selected;
}

void DrawSelectionFrame(int row, COLORREF colour) {
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = 0;
  item.iImage = -1;
  SendMessageA(Ui.ItemListHandle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  int slot = item.iImage;

  int picture = NewImage(-1, ThumbWidth, ThumbHeight);
  HDC dc = picture ? BeginDrawing(picture) : nullptr;
  if (!dc) {
    DisposeImage(picture);
    return;
  }
  ImageList_Draw(Ui.ThumbImageList, slot, dc, 0, 0, ILD_NORMAL);
  SetDrawMode(DrawOutlined);
  // Two outlines make a frame two pixels wide round the left 60 x 60 square, corners left out.
  DrawBox(0, 1, 60, 58, colour);
  DrawBox(1, 0, 58, 60, colour);
  EndDrawing();
  ImageList_Replace(Ui.ThumbImageList, slot, ImageBitmap(picture), nullptr);
  DisposeImage(picture);
}

void FitColumnWidth() {
  int perPage = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0));
  int count = Store.Items.Count();
  if (count > perPage) {
    if (Ui.ColumnNarrowed == 0) {
      SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, kNarrowColumn);
      Ui.ColumnNarrowed = 1;
      Ui.ColumnWidth = kNarrowColumn;
    }
  } else if (Ui.ColumnNarrowed == 1) {
    SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, kWideColumn);
    Ui.ColumnNarrowed = 0;
    Ui.ColumnWidth = kWideColumn;
  }
}

void KeepColumnWidth() {
  int width = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOLUMNWIDTH, 0, 0));
  if (width != Ui.ColumnWidth) SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, Ui.ColumnWidth);
}

void WatchColumnWidth(HWND list) {
  // One list is watched at a time: the program has one.
  if (!list || ListPreviousProc) return;
  ListPreviousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchColumn)));
}

void SetCheckedByKind(int checked, int kind) {
  int state = checked == 1 ? RowChecked : 0;
  for (int row = 0; row < Store.Items.Count(); ++row) {
    if (kind == 2 || Store.Items.At(row).kind == kind) SetRowState(Ui.ItemList, row, state);
  }
}
