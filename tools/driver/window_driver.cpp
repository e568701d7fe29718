#include "tools/driver/window_driver.h"

#include <atomic>
#include <cstring>

#include <shlobj.h>

#include "core/code_page_win.h"
#include "ui/layer/posted_marks_win.h"

namespace {

struct WindowSearch {
  DWORD processId;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && (!search->visibleOnly || IsWindowVisible(window))) {
    search->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

struct MarkKeeperSearch {
  DWORD start;
  DWORD timeoutMs;
  HWND found;
};

// True when the window answers the question for its last mark, as only the program's windows do.
bool KeepsMarks(HWND window, DWORD timeoutMs) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, PostedMarkMessage(), 0, 0, SMTO_NORMAL, timeoutMs, &answer) &&
         answer >= kNoPostedMarkYet;
}

BOOL CALLBACK FindMarkKeeper(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<MarkKeeperSearch*>(param);
  const DWORD spent = GetTickCount() - search->start;
  if (spent >= search->timeoutMs) return FALSE;
  if (!KeepsMarks(window, search->timeoutMs - spent)) return TRUE;
  search->found = window;
  return FALSE;
}

// A top-level window of the thread that keeps posted marks; nullptr when none answers in time.
HWND MarkKeeperOfThread(DWORD threadId, DWORD timeoutMs) {
  MarkKeeperSearch search{GetTickCount(), timeoutMs, nullptr};
  if (threadId && PostedMarkMessage()) EnumThreadWindows(threadId, FindMarkKeeper, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Unique across the driving processes and the waits of each.
WPARAM NextPostedMark() {
  static std::atomic<unsigned> waits{0};
  const unsigned count = ++waits & 0xFFFFu;
  return (static_cast<WPARAM>(GetCurrentProcessId() & 0x7FFFu) << 16 | count) + kNoPostedMarkYet + 1;
}

// The first visible top-level window of the process other than `except`; nullptr when none.
HWND OtherWindow(DWORD processId, HWND except) {
  for (HWND window : ProcessWindows(processId, true)) {
    // Popup menus and tooltips are no requesters.
    const std::string className = WindowClass(window);
    if (window == except || className == "#32768" || className == "tooltips_class32") continue;
    return window;
  }
  return nullptr;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(20);
  }
}

std::vector<HWND> ProcessWindows(DWORD processId, bool visibleOnly) {
  WindowSearch search{processId, visibleOnly, {}};
  EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindProcessWindow(DWORD processId, const std::string& title, const std::string& className) {
  for (HWND window : ProcessWindows(processId, false)) {
    if (WindowTitle(window) != title) continue;
    if (!className.empty() && WindowClass(window) != className) continue;
    return window;
  }
  return nullptr;
}

HWND WaitForOtherWindow(DWORD processId, HWND except, DWORD timeoutMs) {
  HWND result = nullptr;
  WaitUntil([&] { return (result = OtherWindow(processId, except)) != nullptr; }, timeoutMs);
  return result;
}

bool WaitForStartUpEnd(HWND mainWindow, DWORD timeoutMs) {
  DWORD processId = 0;
  GetWindowThreadProcessId(mainWindow, &processId);
  const DWORD start = GetTickCount();
  auto remaining = [&] {
    const DWORD spent = GetTickCount() - start;
    return spent < timeoutMs ? timeoutMs - spent : 0;
  };
  // A dialog box asks something the caller has to answer before start-up can go on; a progress
  // window is part of start-up.
  auto interrupted = [&] {
    if (!IsWindow(mainWindow)) return true;
    for (HWND window : ProcessWindows(processId, true)) {
      if (WindowClass(window) == "#32770") return true;
    }
    return false;
  };
  // The window is made just right of the screen early in start-up and placed later.
  const int offScreen = GetSystemMetrics(SM_CXSCREEN);
  if (!WaitUntil([&] {
        RECT frame{};
        return interrupted() || (GetWindowRect(mainWindow, &frame) && frame.left != offScreen);
      }, remaining())) {
    return false;
  }
  // Start-up ends by attaching the window callback, which fixes the tracking width to the
  // window's width; until then the system's default limits come back. The program answers
  // messages once it waits for them.
  return WaitUntil([&] {
    if (interrupted()) return true;
    RECT frame{};
    MINMAXINFO limits{};
    DWORD_PTR answer = 0;
    if (!GetWindowRect(mainWindow, &frame)) return true;
    SendMessageTimeoutA(mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits), SMTO_NORMAL, 1000,
                        &answer);
    return limits.ptMaxTrackSize.x == frame.right - frame.left;
  }, remaining());
}

std::string WindowTitle(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, ARRAYSIZE(text));
  return Utf8(text);
}

std::string WindowClass(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, ARRAYSIZE(name));
  return Utf8(name);
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindChild(HWND parent, const std::string& className, const std::string& text) {
  for (HWND child : ChildWindows(parent)) {
    if (_stricmp(WindowClass(child).c_str(), className.c_str()) != 0) continue;
    if (!text.empty() && WindowTitle(child) != text) continue;
    return child;
  }
  return nullptr;
}

void PostCommand(HWND window, int commandId) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void PostKey(HWND window, int virtualKey) {
  const UINT scan = MapVirtualKeyA(virtualKey, 0);
  PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

bool WaitForPostedMessages(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  auto remaining = [&]() -> DWORD {
    const DWORD spent = GetTickCount() - start;
    return spent < timeoutMs ? timeoutMs - spent : 0;
  };
  // The window itself keeps the marks when it can: another window of its thread (a progress
  // window) may be destroyed with the mark still in its queue, and the mark with it.
  HWND keeper = nullptr;
  const auto findKeeper = [&] {
    keeper = KeepsMarks(window, remaining()) ? window
                                             : MarkKeeperOfThread(GetWindowThreadProcessId(window, nullptr), remaining());
    return keeper != nullptr;
  };
  if (!PostedMarkMessage() || !findKeeper()) return false;
  for (int generation = 0; generation < kPostedGenerationsWaitedFor; ++generation) {
    const WPARAM mark = NextPostedMark();
    if (!PostMessageA(keeper, PostedMarkMessage(), mark, 0)) return false;
    for (;;) {
      DWORD_PTR answer = 0;
      const DWORD left = remaining();
      if (left > 0 && SendMessageTimeoutA(keeper, PostedMarkMessage(), 0, 0, SMTO_NORMAL, left, &answer)) {
        if (answer == mark) break;
        Sleep(1);
        continue;
      }
      // A keeper destroyed meanwhile lost the mark: it is left again with the next keeper.
      if (remaining() == 0 || IsWindow(keeper) || !findKeeper() ||
          !PostMessageA(keeper, PostedMarkMessage(), mark, 0)) {
        return false;
      }
    }
  }
  return true;
}

void PostTrayMouse(HWND owner, int trayNumber, UINT mouseMessage) {
  PostMessageA(owner, kTrayCallbackMessage, trayNumber, mouseMessage);
}

bool AnswerTextRequester(HWND dialog, const std::string& answer, const std::string& buttonCaption) {
  HWND edit = FindChild(dialog, "Edit");
  HWND button = FindChild(dialog, "Button", buttonCaption);
  if (!edit || !button) return false;
  // WM_SETTEXT is carried across processes by the system.
  const std::wstring text = Wide(answer);
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, nullptr);
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

void PressDialogButton(HWND dialog, int buttonId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

ATOM SendBoardHandOff(const std::string& path, DWORD timeoutMs) {
  HWND target = FindWindowW(nullptr, L"KepSil!");
  if (!target) return 0;
  const ATOM atom = GlobalAddAtomW(Wide(path).c_str());
  if (!atom) return 0;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(target, 2000, atom, 0, SMTO_NORMAL, timeoutMs, &result)) return 0;
  return atom;
}

bool GlobalAtomExists(const std::string& name) {
  return GlobalFindAtomW(Wide(name).c_str()) != 0;
}

bool DropFiles(HWND window, const std::vector<std::string>& paths, DWORD timeoutMs) {
  std::wstring names;
  for (const std::string& path : paths) names += Wide(path) + L'\0';
  names += L'\0';
  std::vector<unsigned char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  // A drop handle is memory of the receiving process; fixed memory is its own handle there, and
  // the system's drop functions read it as such.
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
  bool taken = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
  DWORD_PTR ignored = 0;
  taken = taken && SendMessageTimeoutW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0, SMTO_NORMAL,
                                       timeoutMs, &ignored);
  // Left to the process when it did not answer: it may still read the names.
  if (remote && taken) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return taken;
}

bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, 5000);
}
