#include "app/main_loop.h"

#include <windows.h>

#include <string>

#include "app/autosave_win.h"
#include "app/command_dispatch.h"
#include "app/loop_state.h"
#include "exchange/board_import.h"
#include "settings/hotkey.h"
#include "store/collection_win.h"
#include "store/item_actions.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/menus_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "ui/find_bar_win.h"
#include "ui/main_window_win.h"
#include "ui/menus.h"
#include "ui/preview.h"

namespace {

constexpr DWORD kIdleSleepMs = 10;

HWND Main() {
  return WindowHandle(Ui.MainWindow);
}

// Set when the last idle wait ran its full time: nothing came in, so the next pass need not look
// at the queue. Under Wine every look at an empty queue also polls the display connection, which
// is most of what an idle program costs.
bool QueueQuiet = false;

// Sleeps for the idle interval, but no longer than until a message is waiting: a clipboard change
// or a click is taken at once, and a queue of messages is worked through without a pause between
// them. Anything already queued, seen or not, ends the wait at once. True when it timed out.
bool IdleWait() {
  return MsgWaitForMultipleObjectsEx(0, nullptr, kIdleSleepMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT;
}

void ServeRequest() {
  switch (NextLoopRequest(Loop)) {
    case LoopRequest::ItemMenu:
      if (const Item* item = FindItem(Loop.ClickedItem)) PrepareItemMenu(item->pinned, ItemSourceProgram(*item));
      PopupAtCursor(ItemMenu, Main());
      Loop.ItemMenuRequested = 0;
      break;
    case LoopRequest::Preview:
      Loop.ClickedItem = RowItemName(GetControlState(Ui.ItemList));
      if (!Loop.ClickedItem.empty()) ShowPreview(Loop.ClickedItem, PreviewFromButtons);
      Loop.PreviewRequested = 0;
      break;
    case LoopRequest::ImportBoard: {
      // Taken before the import: a board dropped while it runs waits for the next pass.
      const std::string board = Loop.PendingBoardFile;
      Loop.PendingBoardFile.clear();
      ImportBoard(board);
      SetForegroundWindow(Main());
      SetFocus(Ui.ItemListHandle);
      break;
    }
    case LoopRequest::None: break;
  }
}

void OnTrayEvent(int detail) {
  HWND main = Main();
  if (detail == TrayLeftDoubleClick) {
    if (IsWindowVisible(main)) {
      ShowWindow(main, SW_HIDE);
    } else {
      ShowWindow(main, SW_SHOWNORMAL);
      SetForegroundWindow(main);
    }
  } else if (detail == TrayRightButtonUp) {
    PopupAtCursor(IsWindowVisible(main) ? TrayMenuShown : TrayMenuHidden, main);
  }
}

void DispatchEvent(int kind) {
  switch (kind) {
    case EventNone:
      // An idle pass costs a wake-up a hundred times a second: it polls the hot key and sleeps.
      // The column width and the stored files are kept by the events that change them.
      if (PollHotKey()) ToggleMainWindow();
      if (StoredFilesLookDue()) KeepStoredFilesCurrent();
      RefineFindAsTextsArrive();
      QueueQuiet = IdleWait();
      break;
    case EventControl:
      if (EventSource() == Ui.ItemList) UpdateSelectionHighlight();
      break;
    case EventCloseRequest:
      // Closing only hides the window; the program stays in the notification area.
      ShowWindow(Main(), SW_HIDE);
      break;
    case EventTray:
      if (EventSource() == Ui.TrayIcon) OnTrayEvent(EventDetail());
      break;
    case EventMenu:
      DispatchCommand(EventCommand());
      NoteCommandDone();
      break;
    default: break;
  }
}

}  // namespace

void RunLoopPass() {
  ServeRequest();
  const bool quiet = QueueQuiet;
  QueueQuiet = false;
  DispatchEvent(quiet ? EventNone : PollEvent());
}

void RunMainLoop() {
  do {
    RunLoopPass();
  } while (!Loop.QuitRequested);
}
