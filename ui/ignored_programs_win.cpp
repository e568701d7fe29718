#include "ui/ignored_programs_win.h"

#include <windows.h>

#include <string>

#include "core/code_page_win.h"
#include "core/texts.h"
#include "store/ignored_programs_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 210;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 24;
// Control identifiers of the two buttons (the layer's own controls are numbered from 1 upwards).
constexpr int kRemoveButton = 0x6401;
constexpr int kCloseButton = 0x6402;

HWND NewButton(HWND window, int id, int x, int y, const std::string& caption) {
  HWND button = CreateWindowExW(0, L"BUTTON", Wide(caption).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                x, y, kButtonWidth, kButtonHeight, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  return button;
}

void ShowNames(int list) {
  ClearRows(list);
  for (const std::string& name : IgnoredPrograms().Names()) InsertRow(list, -1, name);
  if (RowCount(list) > 0) SetControlState(list, 0);
}

// Removes the program of the selected row and keeps the list's file current.
void RemoveSelected(int list) {
  const int row = GetControlState(list);
  if (row < 0 || row >= static_cast<int>(IgnoredPrograms().Names().size())) return;
  const std::string name = IgnoredPrograms().Names()[static_cast<size_t>(row)];
  IgnoredPrograms().Remove(name);
  SaveIgnoredPrograms();
  ShowNames(list);
  if (RowCount(list) > 0) SetControlState(list, row < RowCount(list) ? row : RowCount(list) - 1);
}

}  // namespace

void ShowIgnoredPrograms() {
  const int mainWindow = Ui.MainWindow;
  HWND main = WindowHandle(mainWindow);
  EnableWindow(main, FALSE);
  const int window = NewWindow(-1, 0, 0, kClientWidth, kClientHeight, WS_CAPTION | WS_SYSMENU | WindowCentreOnActive,
                               Text(IgnoredProgramsTitleText), main);
  if (HWND handle = WindowHandle(window)) {
    BeginControls(handle);
    const int listHeight = kClientHeight - 3 * kMargin - kButtonHeight;
    const int list = NewListControl(-1, kMargin, kMargin, kClientWidth - 2 * kMargin, listHeight,
                                    Text(IgnoredProgramsLabelText), kClientWidth - 2 * kMargin - 6, ListFullRowSelect);
    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    NewButton(handle, kRemoveButton, kClientWidth - 2 * (kMargin + kButtonWidth), buttonTop, Text(RemoveText));
    NewButton(handle, kCloseButton, kClientWidth - kMargin - kButtonWidth, buttonTop, Text(CloseText));
    ShowNames(list);
    for (int event = WaitEvent(); IsWindow(handle) && event != EventCloseRequest; event = WaitEvent()) {
      // A click names the button; a command sent without it (as a dialog's is) arrives as a menu's.
      const int button = event == EventControl ? EventSource() : event == EventMenu ? EventCommand() : 0;
      if (button == kCloseButton) break;
      if (button == kRemoveButton) RemoveSelected(list);
    }
    // Enabled before the window goes, so that the activation returns to the main window.
    EnableWindow(main, TRUE);
    DisposeWindow(window);
  }
  EnableWindow(main, TRUE);
  SetCurrentWindow(mainWindow);
}
