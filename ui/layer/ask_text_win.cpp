// The one-line text requester: prompt, edit field and an "Ok" button in a small modal window.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/code_page_win.h"
#include "ui/layer/modal_scope_win.h"
#include "ui/layer/requesters.h"

namespace {

constexpr wchar_t kClassName[] = L"KepSilAskText";
constexpr int kMaxText = 10000;
constexpr int kEditId = 100;

enum class Outcome { Open, Accepted, Cancelled };

struct AskTextState {
  Outcome outcome = Outcome::Open;
};

LRESULT CALLBACK AskTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AskTextState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_COMMAND:
      if (state && LOWORD(wParam) == IDOK) state->outcome = Outcome::Accepted;
      if (state && LOWORD(wParam) == IDCANCEL) state->outcome = Outcome::Cancelled;
      return 0;
    case WM_CLOSE:
      if (state) state->outcome = Outcome::Cancelled;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterAskTextClass(HINSTANCE instance) {
  // A Unicode window: the title and prompt are shown in every script, whatever the code page.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AskTextProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

HWND AddChild(HWND parent, DWORD exStyle, const wchar_t* className, const std::string& text, DWORD style, int x,
              int y, int width, int height, int id) {
  HWND child = CreateWindowExW(exStyle, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return child;
}

// Return and Escape act wherever the focus is inside the requester.
bool HandleKey(const MSG& msg, HWND window, AskTextState& state) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != window && !IsChild(window, msg.hwnd))) return false;
  if (msg.wParam == VK_RETURN) {
    state.outcome = Outcome::Accepted;
    return true;
  }
  if (msg.wParam == VK_ESCAPE) {
    state.outcome = Outcome::Cancelled;
    return true;
  }
  return false;
}

}  // namespace

std::string AskText(const std::string& title, const std::string& prompt, const std::string& defaultText) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterAskTextClass(instance)) return "";
  ModalScope modal;
  AskTextState state;
  const int width = 300;
  const int height = 130;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, Wide(title).c_str(),
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, modal.Owner(), nullptr,
                                instance, &state);
  if (!window) return "";
  AddChild(window, 0, L"STATIC", prompt, SS_LEFT, 10, 10, 280, 22, -1);
  HWND edit = AddChild(window, WS_EX_CLIENTEDGE, L"EDIT", defaultText, WS_TABSTOP | ES_AUTOHSCROLL, 10, 32, 275,
                       21, kEditId);
  AddChild(window, 0, L"BUTTON", "Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 67, 80, 25, IDOK);
  SendMessageW(edit, EM_SETLIMITTEXT, kMaxText, 0);
  auto end = static_cast<WPARAM>(GetWindowTextLengthW(edit));
  SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetFocus(edit);

  MSG msg;
  while (state.outcome == Outcome::Open) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // Leave the quit for the outer loop.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      state.outcome = Outcome::Cancelled;
      break;
    }
    if (HandleKey(msg, window, state)) continue;
    if (IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  std::string result;
  if (state.outcome == Outcome::Accepted) {
    std::vector<wchar_t> text(kMaxText + 1, L'\0');
    const int length = GetWindowTextW(edit, text.data(), kMaxText + 1);
    result = Utf8(std::wstring_view(text.data(), static_cast<size_t>(std::max(length, 0))));
  }
  modal.Release();
  DestroyWindow(window);
  return result;
}
