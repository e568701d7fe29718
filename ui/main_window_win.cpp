// Building the main window with its list, and the small list operations the program calls.
#include "ui/main_window_win.h"

#include <shellapi.h>

#include "core/app_state.h"
#include "core/commands.h"
#include "core/code_page_win.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/clipboard_listener_win.h"
#include "store/collection_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/tray_win.h"
#include "ui/find_bar_win.h"
#include "ui/layer/windows_win.h"
#include "ui/menus.h"

MainWindowState Ui;

namespace {

constexpr int kClientWidth = 305;
constexpr int kClientHeight = 250;
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr int kWideColumn = 301;
constexpr int kNarrowColumn = 283;
constexpr char kTitle[] = "KepSil!";

void BindShortcuts(int window) {
  AddShortcut(window, VK_DELETE, KeyDelete);
  AddShortcut(window, VK_BACK, KeyBackspace);
  AddShortcut(window, VK_RETURN, KeyReturn);
  AddShortcut(window, ShortcutShift | VK_RETURN, KeyPlainReturn);
  AddShortcut(window, VK_SPACE, KeySpace);
  AddShortcut(window, 'D', KeyDetail);
  AddShortcut(window, ShortcutCtrl | 'F', CmdFind);
  AddShortcut(window, ShortcutCtrl | 'P', KeyPin);
  for (int32_t key = KeyPasteFirstRow; key <= KeyPasteNinthRow; ++key) {
    AddShortcut(window, ShortcutCtrl | ('1' + (key - KeyPasteFirstRow)), key);
  }
}

void ShowThumbnails(HWND list) {
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ThumbnailImageList()));
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
  HICON icon = ExtractIconW(GetModuleHandleW(nullptr), Wide(App.ProgramPath).c_str(), 0);
  // ExtractIcon answers 1 for a file that is no program.
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

SIZE MainWindowFrameSize() {
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, kMainWindowStyle, FALSE);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void BuildMainWindow() {
  // Created just right of the screen: nothing shows before it is placed below.
  Ui.MainWindow = NewWindow(-1, App.ScreenWidth, 0, kClientWidth, kClientHeight, kMainWindowStyle, kTitle, nullptr);
  SetMainWindow(Ui.MainWindow);
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
                               ListFullRowSelect | ListGridLines | ListCheckBoxes | ListOwnerData);
  Ui.ItemListHandle = ControlHandle(Ui.ItemList);
  WatchColumnWidth(Ui.ItemListHandle);
  AttachItemList(Ui.ItemList);
  OnRowsChanged([] {
    FitColumnWidth();
    ShowFindCount();
  });
  PrepareList(Ui.ItemListHandle);

  NewStatusBar(MainStatusBar, window);
  SetStatusText(MainStatusBar, 0, StatusNotice());

  if (Settings.StartVisible == 0) ShowWindow(window, SW_HIDE);
  SetWindowPos(window, HWND_TOPMOST, Settings.SavedWindowX, Settings.SavedWindowY, Ui.BuiltWindowWidth,
               Settings.SavedWindowHeight, 0);

  // The viewer chain only where the system has no listeners: a viewer later in the chain that
  // passes nothing on would silence the program.
  Ui.ClipboardListening = AddClipboardListener(window);
  if (!Ui.ClipboardListening) Ui.NextClipboardViewer = SetClipboardViewer(window);
  AddMainTrayIcon(window);
  BuildMenus();
}

void LeaveClipboardNotifications() {
  HWND window = WindowHandle(Ui.MainWindow);
  if (!window) return;
  if (Ui.ClipboardListening) {
    RemoveClipboardListener(window);
  } else {
    ChangeClipboardChain(window, Ui.NextClipboardViewer);
  }
  Ui.ClipboardListening = false;
}

namespace {
bool NoticeShown = false;
}  // namespace

void ShowStatusNotice(const std::string& text) {
  SetStatusText(MainStatusBar, 0, text);
  NoticeShown = true;
}

void UpdateSelectionHighlight() {
  int selected = GetControlState(Ui.ItemList);
  if (selected == Collection.HighlightedIndex) return;
  if (NoticeShown) {
    SetStatusText(MainStatusBar, 0, StatusNotice());
    NoticeShown = false;
  }
  if (selected != -1) {
    DrawSelectionFrame(selected, SelectionColour);
    RepaintThumbnails(Ui.ItemListHandle);
  }
  if (Collection.HighlightedIndex != -1) {
    DrawSelectionFrame(Collection.HighlightedIndex, BackgroundColour);
    RepaintThumbnails(Ui.ItemListHandle);
  }
  Collection.HighlightedIndex = selected;
}

void FitColumnWidth() {
  int perPage = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0));
  int count = ShownRowCount();
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

void SetCheckedByKind(int checked, int32_t kind) {
  const int selected = GetControlState(Ui.ItemList);
  // The rows shown: while a find is active, items it hides keep their marks.
  for (int row = 0; row < ShownRowCount(); ++row) {
    if (kind != EveryKind && RowItem(row)->kind != kind) continue;
    SetItemChecked(row, checked == 1);
    if (row == selected) SetRowState(Ui.ItemList, row, checked == 1 ? RowChecked : 0);
  }
}

void ToggleMainWindow() {
  HWND main = WindowHandle(Ui.MainWindow);
  if (IsWindowVisible(main)) {
    ShowWindow(main, SW_HIDE);
  } else {
    ShowWindow(main, SW_SHOWNORMAL);
    SetForegroundWindow(main);
    // A find in progress gets the keyboard back, to type on.
    if (FindFieldOpen()) {
      OpenFind();
    } else {
      SetFocus(Ui.ItemListHandle);
    }
  }
}
