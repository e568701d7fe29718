// The one-line text requester: prompt, edit field and an "Ok" button in a small modal window.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "ui/layer/modal_scope_win.h"
#include "ui/layer/requesters.h"

namespace {

constexpr char kClassName[] = "KepSilAskText";
constexpr int kMaxText = 10000;
constexpr int kEditId = 100;

enum class Outcome { Open, Accepted, Cancelled };

struct AskTextState {
  Outcome outcome = Outcome::Open;
};

LRESULT CALLBACK AskTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AskTextState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
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
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterAskTextClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = AskTextProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  return RegisterClassExA(&wc) != 0;
}

HWND AddChild(HWND parent, DWORD exStyle, const char* className, const std::string& text, DWORD style, int x,
              int y, int width, int height, int id) {
  HWND child = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
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
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterAskTextClass(instance)) return "";
  ModalScope modal;
  AskTextState state;
  const int width = 300;
  const int height = 130;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, title.c_str(),
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, modal.Owner(), nullptr,
                                instance, &state);
  if (!window) return "";
  AddChild(window, 0, "STATIC", prompt, SS_LEFT, 10, 10, 280, 22, -1);
  HWND edit = AddChild(window, WS_EX_CLIENTEDGE, "EDIT", defaultText, WS_TABSTOP | ES_AUTOHSCROLL, 10, 32, 275,
                       21, kEditId);
  AddChild(window, 0, "BUTTON", "Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 67, 80, 25, IDOK);
  SendMessageA(edit, EM_SETLIMITTEXT, kMaxText, 0);
  auto end = static_cast<WPARAM>(GetWindowTextLengthA(edit));
  SendMessageA(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetFocus(edit);

  MSG msg;
  while (state.outcome == Outcome::Open) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // Leave the quit for the outer loop.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      state.outcome = Outcome::Cancelled;
      break;
    }
    if (HandleKey(msg, window, state)) continue;
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }

  std::string result;
  if (state.outcome == Outcome::Accepted) {
    std::vector<char> text(kMaxText + 1, '\0');
    int length = GetWindowTextA(edit, text.data(), kMaxText + 1);
    result.assign(text.data(), static_cast<size_t>(std::max(length, 0)));
  }
  modal.Release();
  DestroyWindow(window);
  return result;
}
