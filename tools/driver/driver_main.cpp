// ksdriver: drives a running KepSil! from scripts and benchmarks, one action per call.
// Every action works on the window titled "KepSil!"; results are printed on stdout. Arguments are
// read from the Unicode command line and passed on as UTF-8, and printed texts are UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/code_page_win.h"
#include "tools/driver/bench_driver.h"
#include "tools/driver/clipboard_driver.h"
#include "tools/driver/list_driver.h"
#include "tools/driver/window_driver.h"

namespace {

int Usage() {
  std::puts(
      "usage: ksdriver ACTION [ARGS]\n"
      "  wait-window [MS]        wait for the window \"KepSil!\" and the end of start-up; prints its process id\n"
      "  command ID              send a menu command id\n"
      "  sync [MS]               wait until the program has taken what was posted to it and answers\n"
      "  key VK                  press a key (virtual-key code, decimal) in the item list\n"
      "  rows                    prints the row count, then one line per row: state bits\n"
      "  select ROW              select a row\n"
      "  clip-text TEXT          put a text on the clipboard\n"
      "  clip-text-owned TEXT MS put a text on the clipboard from a window of its own, kept MS\n"
      "  clip-bitmap W H         put a grey W x H bitmap on the clipboard\n"
      "  clip-get                prints the clipboard text\n"
      "  front CLASS             brings the top-level window of that class to the front\n"
      "  edit-text CLASS FILE    writes the text of that window's first edit field to FILE as UTF-8\n"
      "  handoff PATH            send message 2000 with a global atom naming PATH\n"
      "  windows                 prints the program's visible top-level windows: class|title\n"
      "  button ID               presses button ID (6 Yes, 7 No) in the program's requester\n"
      "  rect                    prints the main window's and the list's screen rectangles\n"
      "  click X Y [right]       clicks the mouse at a screen point\n"
      "  tray MESSAGE            sends the tray icon's callback with a mouse message (515 = double click)\n"
      "  exit [MS]               send Exit and wait for the process to end\n"
      "  bench-capture text|PICTURE.png REPEATS LABEL   capture latency and clipboard refusal\n"
      "  bench-durable FOLDER PICTURE.png REPEATS      durable against plain writes of a capture's files\n"
      "                                                and of items.dat\n"
      "  bench-import PATH                             writes a 300 MB board there and has the program\n"
      "                                                import it; prints its largest entry's size\n"
      "  bench-items FOLDER COUNT THUMB.png [LIMIT]    COUNT stored items for the program in FOLDER\n"
      "  bench-startup FOLDER COUNT REPEATS            start-up to a filled list of COUNT rows,\n"
      "                                                beside a bare window program's\n"
      "  bench-clipboard-held REPEATS   clipboard held and memory gained per 1920x1080 capture, beside\n"
      "                                a bare reader's, the copies alternating\n"
      "  bench-slow-render       the window's longest answer while a program renders slowly\n"
      "  idle-loop SECONDS       peek for messages and sleep 10 ms, as the idle yardstick\n"
      "  bare-window             show one window until it is closed, as the start-up yardstick");
  return 2;
}

HWND MainWindow() {
  return FindWindowW(nullptr, L"KepSil!");
}

HWND ItemList() {
  HWND main = MainWindow();
  return main ? FindChild(main, "SysListView32") : nullptr;
}

// A control's text as UTF-8, read as Unicode so that no code page loses a character. Asked for with
// WM_GETTEXT: GetWindowText does not ask a control of another process.
std::string WindowTextUtf8(HWND window) {
  // Room for twice the length: an ANSI control needs room for its bytes on a double-byte code page.
  std::wstring wide(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) * 2 + 1, L'\0');
  wide.resize(static_cast<size_t>(
      SendMessageW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()))));
  return Utf8(wide);
}

int Number(const char* text) {
  return static_cast<int>(std::strtol(text, nullptr, 10));
}

// The arguments as UTF-8: the ANSI ones lose every character the code page cannot hold.
std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
  }
  return arguments;
}

}  // namespace

int main() {
  std::vector<std::string> arguments = Utf8Arguments();
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());
  char** argv = pointers.data();
  if (argc < 2) return Usage();
  const std::string action = argv[1];
  if (action.rfind("bench-", 0) == 0 || action == "idle-loop" || action == "bare-window") {
    const int result = RunBenchAction(argc, argv);
    return result == 2 ? Usage() : result;
  }
  if (action == "wait-window") {
    HWND window = nullptr;
    const DWORD timeoutMs = argc > 2 ? Number(argv[2]) : 10000;
    WaitUntil([&] { return (window = MainWindow()) != nullptr; }, timeoutMs);
    if (!window || !WaitForStartUpEnd(window, timeoutMs)) return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::printf("%lu\n", processId);
    return 0;
  }
  if (action == "command" && argc > 2) {
    HWND window = MainWindow();
    if (!window) return 1;
    PostCommand(window, Number(argv[2]));
    return 0;
  }
  if (action == "sync") {
    HWND window = MainWindow();
    return window && WaitForPostedMessages(window, argc > 2 ? Number(argv[2]) : 15000) ? 0 : 1;
  }
  if (action == "key" && argc > 2) {
    HWND list = ItemList();
    if (!list) return 1;
    PostKey(list, Number(argv[2]));
    return 0;
  }
  if (action == "rows") {
    HWND list = ItemList();
    if (!list) return 1;
    const int count = ListRowCount(list);
    std::printf("%d\n", count);
    for (int row = 0; row < count; ++row) std::printf("%d\n", ListRowState(list, row));
    return 0;
  }
  if (action == "select" && argc > 2) {
    HWND list = ItemList();
    return list && ListSelectRow(list, Number(argv[2])) ? 0 : 1;
  }
  if (action == "clip-text" && argc > 2) return PutClipboardText(argv[2]) ? 0 : 1;
  if (action == "clip-text-owned" && argc > 3) return PutOwnedClipboardText(argv[2], Number(argv[3])) ? 0 : 1;
  if (action == "clip-bitmap" && argc > 3) {
    return PutClipboardBitmap(Number(argv[2]), Number(argv[3]), RGB(128, 128, 128)) ? 0 : 1;
  }
  if (action == "clip-get") {
    std::printf("%s\n", ClipboardText().c_str());
    return 0;
  }
  if (action == "front" && argc > 2) {
    HWND window = FindWindowW(Wide(argv[2]).c_str(), nullptr);
    return window && BringToFront(window) ? 0 : 1;
  }
  if (action == "edit-text" && argc > 3) {
    HWND window = FindWindowW(Wide(argv[2]).c_str(), nullptr);
    HWND edit = window ? FindChild(window, "Edit") : nullptr;
    if (!edit) return 1;
    const std::string text = WindowTextUtf8(edit);
    return WriteFileContents(argv[3], std::vector<unsigned char>(text.begin(), text.end())) ? 0 : 1;
  }
  if (action == "windows" || (action == "button" && argc > 2)) {
    HWND main = MainWindow();
    if (!main) return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    for (HWND window : ProcessWindows(processId, true)) {
      if (action == "windows") {
        std::printf("%s|%s\n", WindowClass(window).c_str(), WindowTitle(window).c_str());
      } else if (window != main) {
        PressDialogButton(window, Number(argv[2]));
        return 0;
      }
    }
    return action == "windows" ? 0 : 1;
  }
  if (action == "rect") {
    HWND main = MainWindow();
    HWND list = ItemList();
    if (!main || !list) return 1;
    RECT frame{}, area{};
    GetWindowRect(main, &frame);
    GetWindowRect(list, &area);
    std::printf("%ld %ld %ld %ld\n%ld %ld %ld %ld\n", frame.left, frame.top, frame.right, frame.bottom, area.left,
                area.top, area.right, area.bottom);
    return 0;
  }
  if (action == "click" && argc > 3) {
    const bool right = argc > 4 && std::string(argv[4]) == "right";
    SetCursorPos(Number(argv[2]), Number(argv[3]));
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    return SendInput(2, clicks, sizeof(INPUT)) == 2 ? 0 : 1;
  }
  if (action == "tray" && argc > 2) {
    HWND main = MainWindow();
    if (!main) return 1;
    PostTrayMouse(main, 1, static_cast<UINT>(Number(argv[2])));
    return 0;
  }
  if (action == "handoff" && argc > 2) return SendBoardHandOff(argv[2]) ? 0 : 1;
  if (action == "exit") {
    HWND window = MainWindow();
    if (!window) return 1;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostCommand(window, 10);
    const DWORD wait = process ? WaitForSingleObject(process, argc > 2 ? Number(argv[2]) : 15000) : WAIT_FAILED;
    if (process) CloseHandle(process);
    return wait == WAIT_OBJECT_0 ? 0 : 1;
  }
  return Usage();
}
