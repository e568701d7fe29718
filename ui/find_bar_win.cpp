#include "ui/find_bar_win.h"

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "core/code_page_win.h"
#include "core/texts.h"
#include "store/collection_win.h"
#include "store/item_find_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

// The status bar's height, which the list leaves free at the bottom of the window.
constexpr int kBarHeight = 23;
constexpr int kCountWidth = 104;

struct FindBar {
  HWND field = nullptr;
  HWND count = nullptr;
  WNDPROC fieldProc = nullptr;  // the edit control's own procedure
  bool open = false;
};
FindBar Bar;

void ApplyQuery() {
  const int length = GetWindowTextLengthW(Bar.field);
  std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
  typed.resize(static_cast<size_t>(GetWindowTextW(Bar.field, typed.data(), length + 1)));
  ShowMatchingRows(std::u16string(typed.begin(), typed.end()));
  UpdateSelectionHighlight();
}

LRESULT CALLBACK FieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    switch (wParam) {
      // The keys that move in the list move in the rows shown, the keyboard staying here.
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT:
        SendMessageW(Ui.ItemListHandle, WM_KEYDOWN, wParam, lParam);
        return 0;
      case VK_ESCAPE: CloseFind(); return 0;
      default: break;
    }
  }
  // Return pastes and Escape closes (above): neither is typed into the field, nor beeps.
  if (message == WM_CHAR && (wParam == VK_ESCAPE || wParam == '\r' || wParam == '\n')) return 0;
  return CallWindowProcW(Bar.fieldProc, field, message, wParam, lParam);
}

bool MakeControls() {
  HWND window = WindowHandle(Ui.MainWindow);
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  // A Unicode field, so that every character can be typed and found.
  Bar.field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                              window, nullptr, GetModuleHandleW(nullptr), nullptr);
  Bar.count = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, 0, 0,
                              window, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!Bar.field || !Bar.count) {
    if (Bar.field) DestroyWindow(Bar.field);
    if (Bar.count) DestroyWindow(Bar.count);
    Bar = FindBar{};
    return false;
  }
  SendMessageW(Bar.field, WM_SETFONT, font, FALSE);
  SendMessageW(Bar.count, WM_SETFONT, font, FALSE);
  Bar.fieldProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Bar.field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProc)));
  return true;
}

}  // namespace

void OpenFind() {
  if (!Ui.ItemListHandle || (!Bar.field && !MakeControls())) return;
  if (!Bar.open) {
    Bar.open = true;
    // The texts are read while the user begins to type.
    std::vector<Item> items;
    items.reserve(static_cast<size_t>(Collection.Items.Count()));
    for (int32_t position = 0; position < Collection.Items.Count(); ++position) items.push_back(Collection.Items.At(position));
    PrepareToFind(std::move(items));
    ShowWindow(ControlHandle(MainStatusBar), SW_HIDE);
    PlaceFindField();
    ShowWindow(Bar.field, SW_SHOW);
    ShowWindow(Bar.count, SW_SHOW);
    ShowFindCount();
  }
  SetFocus(Bar.field);
  SendMessageW(Bar.field, EM_SETSEL, 0, -1);
}

void RefineFindAsTextsArrive() {
  // A pass through 100,000 items takes some milliseconds: not on every idle pass.
  constexpr DWORD kRefineEveryMs = 200;
  static DWORD last = 0;
  if (!Bar.open) return;
  const DWORD now = GetTickCount();
  if (now - last < kRefineEveryMs) return;
  last = now;
  if (FindTextsArrived()) ApplyQuery();
}

void CloseFind() {
  if (!Bar.open) return;
  Bar.open = false;
  ShowWindow(Bar.field, SW_HIDE);
  ShowWindow(Bar.count, SW_HIDE);
  SetWindowTextW(Bar.field, L"");
  ShowWindow(ControlHandle(MainStatusBar), SW_SHOW);
  ShowMatchingRows(u"");
  UpdateSelectionHighlight();
  SetFocus(Ui.ItemListHandle);
}

bool FindFieldOpen() { return Bar.open; }

bool OnFindFieldCommand(WPARAM wParam, LPARAM lParam) {
  if (!Bar.field || reinterpret_cast<HWND>(lParam) != Bar.field) return false;
  if (HIWORD(wParam) == EN_CHANGE && Bar.open) ApplyQuery();
  return true;
}

void PlaceFindField() {
  if (!Bar.field) return;
  RECT client{};
  GetClientRect(WindowHandle(Ui.MainWindow), &client);
  const int top = client.bottom - kBarHeight;
  const int fieldWidth = client.right - kCountWidth - 8;
  MoveWindow(Bar.field, 2, top + 1, fieldWidth, kBarHeight - 2, TRUE);
  MoveWindow(Bar.count, fieldWidth + 4, top + 1, kCountWidth, kBarHeight - 2, TRUE);
}

void ShowFindCount() {
  if (!Bar.open) return;
  const std::string shown =
      std::to_string(ShownRowCount()) + Text(ShownOfAllText) + std::to_string(Collection.Items.Count());
  SetWindowTextW(Bar.count, Wide(shown).c_str());
}
