// Numbered top-level windows, the layer's window procedure and the event poll.
#include "ui/layer/windows_win.h"

#include <commctrl.h>

#include "ui/layer/layer_state_win.h"
#include "ui/layer/tray_win.h"

WindowLayer Layer;

namespace {

constexpr char kRecordProperty[] = "KepSilLayerWindow";
constexpr DWORD kOptionBits = WindowCentreOnScreen | WindowCentreOnActive | WindowHidden;

LayerWindow* RecordOf(HWND window) {
  return window ? static_cast<LayerWindow*>(GetPropA(window, kRecordProperty)) : nullptr;
}

LayerWindow* FindWindowRecord(int number) {
  auto it = Layer.windows.find(number);
  return it == Layer.windows.end() ? nullptr : &it->second;
}

bool IsLayerListView(HWND control) {
  char className[32] = {};
  GetClassNameA(control, className, sizeof className);
  return lstrcmpiA(className, WC_LISTVIEWA) == 0;
}

int ListNotificationDetail(UINT code, bool* makesEvent) {
  *makesEvent = true;
  switch (code) {
    case NM_CLICK: return 0;
    case NM_RCLICK: return 1;
    case NM_DBLCLK: return 2;
    case NM_RDBLCLK: return 3;
    case LVN_ITEMACTIVATE: return 2;
    case LVN_ITEMCHANGED: return -1;
    default: *makesEvent = false; return -1;
  }
}

int TrayDetail(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP: return TrayLeftButtonUp;
    case WM_RBUTTONUP: return TrayRightButtonUp;
    case WM_LBUTTONDBLCLK: return TrayLeftDoubleClick;
    case WM_RBUTTONDBLCLK: return TrayRightDoubleClick;
    default: return -1;
  }
}

void MakeEvent(int kind, int source, int detail) {
  Layer.eventKind = kind;
  Layer.eventSource = source;
  Layer.eventDetail = detail;
}

// Status bars keep their place at the bottom when their window is resized.
void FollowSize(HWND window) {
  for (const auto& [number, control] : Layer.controls) {
    if (control.kind == ControlKind::StatusBar && GetParent(control.handle) == window) {
      SendMessageA(control.handle, WM_SIZE, 0, 0);
    }
  }
}

// Turns a message into an event. Returns true when it made one.
bool Classify(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      MakeEvent(EventCloseRequest, 0, -1);
      return true;
    case MessageSizeRepost:
      MakeEvent(EventSize, 0, -1);
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header || !IsLayerListView(header->hwndFrom)) return false;
      bool makesEvent = false;
      int detail = ListNotificationDetail(header->code, &makesEvent);
      if (!makesEvent) return false;
      MakeEvent(EventControl, static_cast<int>(header->idFrom), detail);
      return true;
    }
    case WM_COMMAND:
      if (lParam) {
        MakeEvent(EventControl, LOWORD(wParam), HIWORD(wParam));
      } else {
        MakeEvent(EventMenu, LOWORD(wParam), -1);
      }
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (!lParam) return false;
      MakeEvent(EventControl, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), -1);
      return true;
    case MessageTrayRepost: {
      int detail = TrayDetail(lParam);
      if (detail < 0) return false;
      MakeEvent(EventTray, static_cast<int>(wParam), detail);
      return true;
    }
    default:
      return false;
  }
}

// Sent to every top-level window when the shell (re)starts its notification area.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// Posted with a mark: keeps it. Sent with 0: answers the last mark kept.
LRESULT TakePostedMark(WPARAM mark) {
  if (mark == 0) return static_cast<LRESULT>(Layer.lastPostedMark);
  Layer.lastPostedMark = mark;
  return 0;
}

LRESULT CALLBACK LayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetPropA(window, kRecordProperty, create->lpCreateParams);
    if (auto* record = static_cast<LayerWindow*>(create->lpCreateParams)) record->handle = window;
  } else if (message == WM_NCDESTROY) {
    RemovePropA(window, kRecordProperty);
  } else if (message == WM_SIZE) {
    FollowSize(window);
  }
  if (message == TaskbarCreatedMessage()) ReAddTrayIcons(window);
  if (message == PostedMarkMessage() && message != 0) return TakePostedMark(wParam);
  if (message == WM_NOTIFY) {
    LRESULT answer = 0;
    if (PassToListOwner(reinterpret_cast<const NMHDR*>(lParam), answer)) return answer;
  }
  if (Layer.hook) {
    LRESULT answer = Layer.hook(window, message, wParam, lParam);
    if (answer != HookContinue) return answer;
  }
  switch (message) {
    case WM_SIZE:
      // Reported once the poll reaches it, after the sizing loop has let go.
      PostMessageA(window, MessageSizeRepost, wParam, lParam);
      break;
    case MessageTrayCallback:
      // The shell may send this from outside the poll; re-posting puts it in the queue.
      PostMessageA(window, MessageTrayRepost, wParam, lParam);
      return 0;
    default:
      if (Classify(message, wParam, lParam)) return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CentreRect(RECT* rect, const RECT& area) {
  int width = rect->right - rect->left;
  int height = rect->bottom - rect->top;
  rect->left = area.left + (area.right - area.left - width) / 2;
  rect->top = area.top + (area.bottom - area.top - height) / 2;
  rect->right = rect->left + width;
  rect->bottom = rect->top + height;
}

void RebuildAccelerators(LayerWindow* record) {
  if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
  record->accelerators = nullptr;
  if (!record->shortcuts.empty()) {
    record->accelerators = CreateAcceleratorTableA(record->shortcuts.data(),
                                                   static_cast<int>(record->shortcuts.size()));
  }
}

// A key typed into a text field is the field's: the window's shortcuts on plain keys (Delete,
// Backspace, Space, letters) must not act on the list behind it. Return and keys held with Ctrl
// still reach the shortcuts.
bool TypedIntoTextField(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) return false;
  if (GetKeyState(VK_CONTROL) < 0) return false;
  char name[16] = {};
  return GetClassNameA(msg.hwnd, name, sizeof name) > 0 && lstrcmpiA(name, "Edit") == 0;
}

int TakeEvent(MSG& msg) {
  LayerWindow* active = RecordOf(GetActiveWindow());
  bool translated = active && active->accelerators && !TypedIntoTextField(msg) &&
                    TranslateAcceleratorW(active->handle, active->accelerators, &msg);
  if (!translated) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  int kind = Layer.eventKind;
  Layer.eventKind = EventNone;
  return kind;
}

}  // namespace

void InitWindowLayer() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&init)) InitCommonControls();
}

int NewWindow(int number, int x, int y, int clientWidth, int clientHeight, DWORD flags,
              const std::string& title, HWND owner) {
  if (number == -1) number = FreshNumber(Layer.windows);
  if (Layer.windows.count(number)) DisposeWindow(number);
  DWORD style = flags & ~kOptionBits;
  if (style == 0) style = WS_CAPTION;

  HINSTANCE instance = GetModuleHandleA(nullptr);
  LayerWindow& record = Layer.windows[number];
  record.className = "KepSilWindow" + std::to_string(number);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = LayerWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = record.className.c_str();
  if (!RegisterClassExA(&wc)) {
    if (Layer.mainWindow == number) Layer.mainWindow = 0;
  Layer.windows.erase(number);
    return 0;
  }

  RECT rect{0, 0, clientWidth, clientHeight};
  AdjustWindowRect(&rect, style, FALSE);
  OffsetRect(&rect, x - rect.left, y - rect.top);
  if (flags & (WindowCentreOnScreen | WindowCentreOnActive)) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND active = GetActiveWindow();
    if ((flags & WindowCentreOnActive) && active) GetWindowRect(active, &area);
    CentreRect(&rect, area);
  }
  if (!(flags & WindowHidden)) style |= WS_VISIBLE;

  HWND handle = CreateWindowExA(0, record.className.c_str(), title.c_str(), style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, instance,
                                &record);
  if (!handle) {
    UnregisterClassA(record.className.c_str(), instance);
    Layer.windows.erase(number);
    return 0;
  }
  Layer.currentWindow = number;
  return number;
}

HWND WindowHandle(int number) {
  LayerWindow* record = FindWindowRecord(number);
  return record ? record->handle : nullptr;
}

HWND CurrentWindowHandle() { return WindowHandle(Layer.currentWindow); }

void SetCurrentWindow(int number) { Layer.currentWindow = number; }

void SetMainWindow(int number) { Layer.mainWindow = number; }
int MainWindowNumber() { return Layer.mainWindow; }
HWND MainWindowHandle() { return WindowHandle(Layer.mainWindow); }

void DisposeWindow(int number) {
  LayerWindow* record = FindWindowRecord(number);
  if (!record) return;
  if (HWND owner = GetWindow(record->handle, GW_OWNER)) SetActiveWindow(owner);
  // Forget the window's controls before they go with it.
  for (auto it = Layer.controls.begin(); it != Layer.controls.end();) {
    if (GetAncestor(it->second.handle, GA_ROOT) == record->handle) {
      it = Layer.controls.erase(it);
    } else {
      ++it;
    }
  }
  DestroyWindow(record->handle);
  if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
  UnregisterClassA(record->className.c_str(), GetModuleHandleA(nullptr));
  Layer.windows.erase(number);
  if (Layer.currentWindow == number) Layer.currentWindow = 0;
}

int PollEvent() {
  Layer.eventKind = EventNone;
  Layer.eventDetail = -1;
  MSG msg;
  // Messages are taken in their Unicode form, so that a Unicode text field gets every character
  // typed (the ANSI form would turn those outside the code page into "?"); the system converts
  // them for the program's ANSI windows.
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return EventNone;
  // The program ends only through its Exit commands; a stray quit message is no event.
  if (msg.message == WM_QUIT) return EventNone;
  return TakeEvent(msg);
}

int WaitEvent() {
  Layer.eventKind = EventNone;
  Layer.eventDetail = -1;
  MSG msg;
  if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return EventNone;
  return TakeEvent(msg);
}

void RefreshWindows(DWORD maxMs) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < maxMs &&
         PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    if (msg.message != WM_QUIT) DispatchMessageA(&msg);
  }
}

int EventSource() { return Layer.eventSource; }
int EventDetail() { return Layer.eventDetail; }
int EventCommand() { return Layer.eventSource; }

void SetWindowHook(WindowHook hook) { Layer.hook = hook; }

void MoveCurrentWindow(int x, int y) {
  SetWindowPos(CurrentWindowHandle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

int CurrentWindowLeft() {
  RECT rect{};
  GetWindowRect(CurrentWindowHandle(), &rect);
  return rect.left;
}

int CurrentWindowTop() {
  RECT rect{};
  GetWindowRect(CurrentWindowHandle(), &rect);
  return rect.top;
}

int CurrentClientHeight() {
  HWND window = CurrentWindowHandle();
  RECT rect{};
  GetClientRect(window, &rect);
  int height = rect.bottom - rect.top;
  if (window && GetMenu(window)) height += GetSystemMetrics(SM_CYMENU);
  return height;
}

void AddShortcut(int window, int key, int command) {
  LayerWindow* record = FindWindowRecord(window);
  if (!record) return;
  BYTE virt = FVIRTKEY | FNOINVERT;
  if (key & ShortcutShift) virt |= FSHIFT;
  if (key & ShortcutCtrl) virt |= FCONTROL;
  if (key & ShortcutAlt) virt |= FALT;
  ACCEL entry{virt, static_cast<WORD>(key & 0xFFFF), static_cast<WORD>(command)};
  bool replaced = false;
  for (ACCEL& existing : record->shortcuts) {
    if (existing.key == entry.key && existing.fVirt == entry.fVirt) {
      existing.cmd = entry.cmd;
      replaced = true;
    }
  }
  if (!replaced) record->shortcuts.push_back(entry);
  RebuildAccelerators(record);
}

void ReleaseWindowLayer() {
  while (!Layer.windows.empty()) DisposeWindow(Layer.windows.begin()->first);
  for (auto& [number, menu] : Layer.menus) DestroyMenu(menu);
  Layer.menus.clear();
  Layer.menuStack.clear();
  for (auto& [number, font] : Layer.fonts) DeleteObject(font);
  Layer.fonts.clear();
  while (!Layer.trayIcons.empty()) RemoveTrayIcon(Layer.trayIcons.begin()->first);
  Layer.hook = nullptr;
}
