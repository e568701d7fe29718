#include "app/window_callback_win.h"

#include <commctrl.h>

#include <string>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "app/autosave_win.h"
#include "app/command_dispatch.h"
#include "app/loop_state.h"
#include "app/shutdown.h"
#include "exchange/board_format.h"
#include "exchange/load_files_win.h"
#include "settings/settings.h"
#include "store/clipboard_capture_win.h"
#include "store/clipboard_reader_win.h"
#include "store/collection_win.h"
#include "ui/find_bar_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/menus_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"
#include "ui/menus.h"

namespace {

// Space between the client height and the list's height: the status bar.
constexpr int kStatusBarHeight = 23;
constexpr DWORD kAtomNameBuffer = 1024;
// The longest wait for the next clipboard viewer: a program that hangs in the chain must not
// freeze this one.
constexpr UINT kViewerTimeoutMs = 500;

void ReceiveBoardHandOff(HWND window, WPARAM atomValue) {
  const ATOM atom = static_cast<ATOM>(atomValue);
  // Read in Unicode: the atom holds the path in any script, whoever added it.
  wchar_t name[kAtomNameBuffer] = {};
  const UINT length = GlobalGetAtomNameW(atom, name, kAtomNameBuffer);
  const std::string path = Utf8(std::wstring_view(name, length));
  if (length > 0 && IsBoardFile(path)) {
    Loop.PendingBoardFile = path;
    ShowWindow(window, SW_SHOWNORMAL);
  }
  GlobalDeleteAtom(atom);
}

// The list fills the client area above the status bar.
void FitListToWindow(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const int listHeight = client.bottom - client.top - kStatusBarHeight;
  if (listHeight <= 0) return;
  ResizeControl(Ui.ItemList, -1, -1, -1, listHeight);
  Settings.ListHeight = listHeight;
  FitColumnWidth();
  PlaceFindField();
}

void LimitTracking(HWND window, MINMAXINFO* info) {
  if (Ui.BuiltWindowWidth <= 0) return;
  info->ptMinTrackSize.x = Ui.BuiltWindowWidth;
  info->ptMinTrackSize.y = Ui.MinWindowHeight;
  info->ptMaxTrackSize.x = Ui.BuiltWindowWidth;
  info->ptMaxTrackSize.y = App.ScreenHeight;
  FitListToWindow(window);
}

void RememberPosition(HWND window) {
  if (!IsWindowVisible(window) || IsIconic(window)) return;
  RECT frame{};
  GetWindowRect(window, &frame);
  Settings.SavedWindowX = frame.left;
  Settings.SavedWindowY = frame.top;
}

bool PrimaryButtonDown() {
  return GetAsyncKeyState(VK_LBUTTON + GetSystemMetrics(SM_SWAPBUTTON)) != 0;
}

void OnListNotification(HWND window, const NMHDR* header) {
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      POINT origin{0, 0};
      ClientToScreen(window, &origin);
      PopupAt(MainMenu, window, origin.x + 2, origin.y + 19);
      break;
    }
    case NM_DBLCLK: {
      const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
      // With Shift held the text goes alone, as "paste as plain text".
      const bool plain = (activate->uKeyFlags & LVKF_SHIFT) != 0 || GetKeyState(VK_SHIFT) < 0;
      if (activate->iItem != -1) PasteRow(activate->iItem, plain ? PasteFormats::PlainText : PasteFormats::Everything);
      break;
    }
    case NM_RCLICK: {
      const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
      // The first read clears the pressed-since-last-read bit, so the second one sees the
      // button as it is now.
      PrimaryButtonDown();
      // The item, not its row: a copy while the menu is open moves every row down.
      Loop.ClickedItem = RowItemName(activate->iItem);
      if (PrimaryButtonDown()) {
        Loop.PreviewRequested = 1;
      } else if (activate->iItem != -1) {
        Loop.ItemMenuRequested = 1;
      }
      break;
    }
    default: break;
  }
}

void PassToNextViewer(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Ui.NextClipboardViewer) return;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(Ui.NextClipboardViewer, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                      kViewerTimeoutMs, &ignored);
}

void OnViewerChainChange(UINT message, WPARAM wParam, LPARAM lParam) {
  CaptureClipboardChange();
  // The other viewers of the chain hear of the change too.
  PassToNextViewer(message, wParam, lParam);
}

void OnChainChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND removed = reinterpret_cast<HWND>(wParam);
  HWND following = reinterpret_cast<HWND>(lParam);
  if (removed == Ui.NextClipboardViewer) {
    Ui.NextClipboardViewer = following;
  } else if (Ui.NextClipboardViewer != window) {
    PassToNextViewer(message, wParam, lParam);
  }
}

}  // namespace

LRESULT WindowCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Ui.MainWindow || window != WindowHandle(Ui.MainWindow)) return HookContinue;
  switch (message) {
    case MessageBoardHandOff: ReceiveBoardHandOff(window, wParam); break;
    case WM_DROPFILES: {
      const std::string board = HandleDroppedFiles(reinterpret_cast<HDROP>(wParam));
      // The main loop imports it once this message has been handled.
      if (!board.empty()) Loop.PendingBoardFile = board;
      break;
    }
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION) ShowWindow(window, SW_HIDE);
      break;
    case WM_GETMINMAXINFO: LimitTracking(window, reinterpret_cast<MINMAXINFO*>(lParam)); break;
    case WM_MOVE: RememberPosition(window); break;
    // The size limits are asked for before a resize, so the list follows the final size here.
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) FitListToWindow(window);
      break;
    case WM_CLIPBOARDUPDATE: CaptureClipboardChange(); break;
    case WM_DRAWCLIPBOARD: OnViewerChainChange(message, wParam, lParam); break;
    case WM_CHANGECBCHAIN: OnChainChange(window, message, wParam, lParam); break;
    case MessageClipboardRead: AddReadClipboardEntry(window, lParam); break;
    // Logoff or shutdown: what the Exit command would store is stored before the process is
    // ended. The query only writes (the end may still be cancelled); the end itself runs the
    // whole shutdown.
    case WM_QUERYENDSESSION: SaveBeforeSessionEnd(); break;
    case WM_ENDSESSION:
      if (wParam) ShutDown();
      break;
    case WM_COMMAND:
      if (OnFindFieldCommand(wParam, lParam)) return 0;
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && Ui.ItemListHandle && header->hwndFrom == Ui.ItemListHandle) OnListNotification(window, header);
      break;
    }
    default: break;
  }
  return HookContinue;
}
