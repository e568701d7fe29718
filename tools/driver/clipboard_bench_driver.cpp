#include "tools/driver/clipboard_bench_driver.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/commands.h"
#include "tools/driver/bench_timing.h"
#include "tools/driver/capture_driver.h"
#include "tools/driver/clipboard_source_driver.h"
#include "tools/driver/list_driver.h"
#include "tools/driver/window_driver.h"

namespace {

constexpr int kShotWidth = 1920;
constexpr int kShotHeight = 1080;

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The mean of the middle 80 %. A read under Wine takes one of two times (about 70 or 88 ms on a
// slow machine, one copy this, the next that): a median of such values jumps between the two, the
// mean of the middle follows how often each comes.
double MiddleMean(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t cut = values.size() / 10;
  double sum = 0;
  for (size_t i = cut; i < values.size() - cut; ++i) sum += values[i];
  return sum / static_cast<double>(values.size() - 2 * cut);
}

double Largest(const std::vector<double>& values) {
  return values.empty() ? -1 : *std::max_element(values.begin(), values.end());
}

// The header of 32-bit pixels, top row first.
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// A screenshot-sized display bitmap with every pixel its own colour.
HBITMAP Screenshot(unsigned seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(kShotWidth) * kShotHeight);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>((i + seed) * 2654435761u) & 0xFFFFFFu;
  BITMAPINFO info = TopDown32(kShotWidth, kShotHeight);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kShotWidth, kShotHeight);
  if (bitmap) SetDIBits(screen, bitmap, 0, kShotHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

bool CopyBitmap(HBITMAP bitmap) {
  bool open = false;
  for (int attempt = 0; attempt < 2000 && !open; ++attempt) {
    open = OpenClipboard(nullptr) != 0;
    if (!open) Sleep(1);
  }
  if (!open) return false;
  EmptyClipboard();
  const bool set = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  CloseClipboard();
  if (!set) DeleteObject(bitmap);
  return set;
}

double Ticks(const FILETIME& time) {
  return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// Waits until the processors have been nine tenths idle for a tenth of a second, at most
// `boundMs`: what the last copy set off (the program encoding and storing its picture on every
// core) is done, and the next copy is read on a quiet machine, whoever reads it.
void WaitUntilQuiet(double boundMs) {
  const double start = NowMs();
  FILETIME idle, kernel, user;
  if (!GetSystemTimes(&idle, &kernel, &user)) {
    Sleep(300);
    return;
  }
  while (NowMs() - start < boundMs) {
    Sleep(100);
    FILETIME idleNow, kernelNow, userNow;
    if (!GetSystemTimes(&idleNow, &kernelNow, &userNow)) return;
    // The kernel's time includes the idle time.
    const double all = Ticks(kernelNow) - Ticks(kernel) + Ticks(userNow) - Ticks(user);
    if (all > 0 && (Ticks(idleNow) - Ticks(idle)) / all >= 0.9) return;
    idle = idleNow;
    kernel = kernelNow;
    user = userNow;
  }
}

// Copies a screenshot and waits until `taken(probe)` says it was taken; the longest refusal
// meanwhile, or -1 when the copy failed or was not taken.
template <typename Taken>
double HeldForOneCopy(unsigned seed, Taken taken) {
  HBITMAP shot = Screenshot(seed);
  if (!shot || !CopyBitmap(shot)) return -1;
  ClipboardProbe probe;
  const bool done = taken(probe);
  Sleep(30);
  const double refused = probe.Stop();
  return done ? refused : -1;
}

// The resident memory of a process in bytes (the working set), 0 when it cannot be asked.
double ResidentBytes(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return 0;
  PROCESS_MEMORY_COUNTERS counters{};
  const bool asked = K32GetProcessMemoryInfo(process, &counters, sizeof counters) != 0;
  CloseHandle(process);
  return asked ? static_cast<double>(counters.WorkingSetSize) : 0;
}

// The events a bare reader is driven by; the one reading on a thread of its own has names of its own.
struct ReaderEvents {
  explicit ReaderEvents(bool onThread) : suffix(onThread ? L" on a thread" : L"") {}
  std::wstring Name(const wchar_t* what) const { return std::wstring(L"ksdriver bare reader ") + what + suffix; }
  std::wstring suffix;
};

// Pixel memory written once ahead, as the fastest copy has it.
void* ReadyPixels() {
  BITMAPINFO target = TopDown32(kShotWidth, kShotHeight);
  void* pixels = nullptr;
  if (!CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &pixels, nullptr, 0) || !pixels) return nullptr;
  std::memset(pixels, 1, static_cast<size_t>(kShotWidth) * kShotHeight * 4);
  return pixels;
}

// Opens the clipboard, asks for the texts and the bitmap, copies the bitmap's pixels, closes it.
// The probe opens the clipboard too, for a moment every millisecond: a refused open is tried again.
void ReadBare(HWND window, void* pixels, HANDLE read) {
  bool open = false;
  for (int attempt = 0; attempt < 2000 && !open; ++attempt) {
    open = OpenClipboard(window) != 0;
    if (!open) Sleep(1);
  }
  if (!open) return;
  GetClipboardData(CF_TEXT);
  GetClipboardData(CF_UNICODETEXT);
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP size{};
  if (bitmap && GetObjectW(bitmap, sizeof size, &size) && size.bmWidth * size.bmHeight <= kShotWidth * kShotHeight) {
    BITMAPINFO info = TopDown32(size.bmWidth, size.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, size.bmHeight, pixels, &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
  }
  CloseClipboard();
  SetEvent(read);
}

HWND MessageWindow() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

// bench-bare-reader [thread]: the least a program can do with a copied picture: on every change
// while it is armed, read it (ReadBare); with "thread", on a thread of its own with a window of its
// own, as a program whose window must not wait for the clipboard reads. Signals each read.
int BareReader(bool onThread) {
  const ReaderEvents names(onThread);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, names.Name(L"ready").c_str());
  HANDLE read = OpenEventW(EVENT_MODIFY_STATE, FALSE, names.Name(L"read").c_str());
  HANDLE armed = OpenEventW(SYNCHRONIZE, FALSE, names.Name(L"armed").c_str());
  if (!ready || !read || !armed) return 1;
  HWND window = MessageWindow();
  void* pixels = ReadyPixels();
  if (!window || !pixels || !AddClipboardFormatListener(window)) return 1;
  std::atomic<HWND> readerWindow{nullptr};
  std::thread reader;
  if (onThread) {
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    reader = std::thread([&] {
      HWND own = MessageWindow();
      readerWindow = own;
      SetEvent(started);
      MSG message;
      while (own && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_APP) ReadBare(own, pixels, read);
      }
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    if (!readerWindow) return 1;
    reader.detach();  // ends with the process
  }
  SetEvent(ready);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message != WM_CLIPBOARDUPDATE) {
      DispatchMessageW(&message);
    } else if (WaitForSingleObject(armed, 0) == WAIT_OBJECT_0) {
      if (onThread) {
        PostMessageW(readerWindow, WM_APP, 0, 0);
      } else {
        ReadBare(window, pixels, read);
      }
    }
  }
  return 0;
}

// A bare reader run for the benchmark, reading only while armed.
class BareReaderRun {
 public:
  explicit BareReaderRun(bool onThread)
      : names_(onThread),
        ready_(CreateEventW(nullptr, TRUE, FALSE, names_.Name(L"ready").c_str())),
        read_(CreateEventW(nullptr, FALSE, FALSE, names_.Name(L"read").c_str())),
        armed_(CreateEventW(nullptr, TRUE, FALSE, names_.Name(L"armed").c_str())) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    started_ = ready_ && read_ && armed_ && length > 0 && length < MAX_PATH &&
               program_.Start("\"" + std::string(self) + "\" bench-bare-reader" + (onThread ? " thread" : "")) &&
               WaitForSingleObject(ready_, 20000) == WAIT_OBJECT_0;
  }
  ~BareReaderRun() {
    program_.End();
    for (HANDLE event : {ready_, read_, armed_}) {
      if (event) CloseHandle(event);
    }
  }
  BareReaderRun(const BareReaderRun&) = delete;
  BareReaderRun& operator=(const BareReaderRun&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return program_.Id(); }
  // The clipboard refused per copy while it reads one; -1 when it did not read it.
  double Copy(unsigned seed) {
    SetEvent(armed_);
    const double held =
        HeldForOneCopy(seed, [&](const ClipboardProbe&) { return WaitForSingleObject(read_, 20000) == WAIT_OBJECT_0; });
    ResetEvent(armed_);
    return held;
  }

 private:
  ReaderEvents names_;
  HANDLE ready_;
  HANDLE read_;
  HANDLE armed_;
  HelperProgram program_;
  bool started_ = false;
};

// bench-clipboard-held REPEATS: the clipboard refused to other programs per 1920 x 1080 copy while
// the program captures it, and while two bare readers of the same formats read it: one on its main
// thread, one on a thread of its own, as the program does. Both run the same read, so both measure
// the floor; on a slow machine they differ by several milliseconds in one run, and the floor is
// taken from the copies of both, twice as many as the program's. The copies come in
// rounds, one for each (the program's watching turned off for the readers' copies, each reader
// armed for its own), in rotating order: a machine that gets slower or faster during the run
// weighs on all alike. Twenty rounds a repetition: on a slow machine a read takes 70 to 90 ms and
// varies by far more than the 3 ms asked of the program, and runs of 50 copies still moved by 3 ms.
// Then how much resident memory the program and the floor gained per copy, from the end of the
// first round on (the program's spare picture is made once).
int BenchClipboardHeld(int repeats) {
  HWND main = FindWindowA(nullptr, "KepSil!");
  HWND list = main ? FindChild(main, "SysListView32") : nullptr;
  DWORD programId = 0;
  if (!list || !GetWindowThreadProcessId(main, &programId)) return 1;
  const int rounds = std::max(repeats, 2) * 20;
  BareReaderRun floorReader(false);
  BareReaderRun threadReader(true);
  if (!floorReader.Started() || !threadReader.Started()) {
    std::printf("clipboard held: the bare readers did not start\n");
    return 1;
  }
  bool watching = true;
  const auto watch = [&](bool on) {
    if (watching == on) return;
    PostCommand(main, CmdWatchClipboard);
    WaitForPostedMessages(main);
    // The program stores its settings at most once a second: the write this change brings is done
    // before the next copy, not during it.
    Sleep(1100);
    watching = on;
  };
  // 0 the program, 1 the floor, 2 the reader on a thread. Each copy starts on a quiet machine,
  // once the program watches it or not.
  const auto copy = [&](int who, unsigned seed) {
    watch(who == 0);
    WaitUntilQuiet(5000);
    if (who == 1) return floorReader.Copy(seed);
    if (who == 2) return threadReader.Copy(seed);
    const int before = ListRowCount(list);
    // The list is asked for its rows only once the program gave the clipboard back: every question
    // wakes its window and Wine's server, which would weigh on the read being measured, while the
    // bare readers are waited for without a word to them.
    return HeldForOneCopy(seed, [&](const ClipboardProbe& probe) {
      probe.WaitForRelease(5000);
      return WaitForNewRow(list, before) >= 0;
    });
  };
  std::vector<double> held[3];
  double programFrom = 0, floorFrom = 0;
  int failed = -1;
  for (int round = 0; round < rounds && failed < 0; ++round) {
    for (int turn = 0; turn < 3 && failed < 0; ++turn) {
      const int who = (round + turn) % 3;
      const double refused = copy(who, static_cast<unsigned>(3 * round + turn));
      if (refused < 0) failed = who;
      held[who].push_back(refused);
    }
    if (round == 0) {
      programFrom = ResidentBytes(programId);
      floorFrom = ResidentBytes(floorReader.Id());
    }
  }
  const double programGain = (ResidentBytes(programId) - programFrom) / (rounds - 1) / 1e6;
  const double floorGain = (ResidentBytes(floorReader.Id()) - floorFrom) / (rounds - 1) / 1e6;
  watch(true);
  if (failed >= 0) {
    const char* const names[] = {"the program", "the bare reader", "the bare reader on a thread"};
    std::printf("clipboard held: %s did not take copy %zu within 20 s\n", names[failed], held[failed].size());
    return 1;
  }
  std::vector<double> readers = held[1];
  readers.insert(readers.end(), held[2].begin(), held[2].end());
  const double ours = MiddleMean(held[0]);
  const double floor = MiddleMean(readers);
  std::printf("clipboard held per 1920x1080 capture, mean of the middle 80 %%: program %.1f ms (median %.1f, max %.1f), "
              "floor %.1f ms (bare readers of the same formats, %zu copies); program - floor %.1f ms (target at most "
              "3), ratio %.2f; the readers alone: on the main thread %.1f ms (median %.1f, max %.1f), on a thread of "
              "its own %.1f ms (median %.1f, max %.1f) (%d copies each, in rotation)\n",
              ours, Median(held[0]), Largest(held[0]), floor, readers.size(), ours - floor,
              floor > 0 ? ours / floor : 0.0, MiddleMean(held[1]), Median(held[1]), Largest(held[1]),
              MiddleMean(held[2]), Median(held[2]), Largest(held[2]), rounds);
  std::printf("resident memory gained per 1920x1080 picture copied by another program: program %.1f MB, bare reader "
              "of the same formats %.1f MB, ratio %.2f (Wine keeps what a program reads of another's bitmap: both "
              "gain it)\n",
              programGain, floorGain, floorGain > 0 ? programGain / floorGain : 0.0);
  return 0;
}

// The longest time the window took to answer WM_NULL, asked every 10 ms until `done` says so.
template <typename Done>
double LongestAnswer(HWND window, Done done) {
  double longest = 0;
  while (!done()) {
    const double start = NowMs();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) return -1;
    longest = std::max(longest, NowMs() - start);
    Sleep(10);
  }
  return longest;
}

// bench-slow-render: a program copies a text with rich text and HTML that it takes 2.5 s each to
// render when asked. The window's longest answer meanwhile, against its longest answer over as
// long a while with nothing copied; and how long that copy and the same program's next one take
// to become items. (The program remembers this driver as slow: run it after the other captures.)
int BenchSlowRender() {
  constexpr DWORD kRenderMs = 2500;
  HWND main = FindWindowA(nullptr, "KepSil!");
  HWND list = main ? FindChild(main, "SysListView32") : nullptr;
  if (!list) return 1;
  ClipboardSource source;
  const std::string tag = std::to_string(GetCurrentProcessId());
  const auto slowCopy = [&](const std::string& text) {
    return std::vector<OfferedFormat>{
        {CF_TEXT, TextBytes(text + " " + tag)},
        {RegisterClipboardFormatA("Rich Text Format"), TextBytes("{\\rtf1 " + text + "}"), true, kRenderMs},
        {RegisterClipboardFormatA("HTML Format"), TextBytes("<p>" + text + "</p>"), true, kRenderMs}};
  };
  const auto rowAfter = [&](int before, double until) {
    return [=] { return ListRowCount(list) > before || NowMs() > until; };
  };

  int before = ListRowCount(list);
  const double copied = NowMs();
  if (!source.Copy(slowCopy("slow render first"))) return 1;
  const double slow = LongestAnswer(main, rowAfter(before, copied + 20000));
  const double firstItem = NowMs() - copied;
  const double idleStart = NowMs();
  const double idle = LongestAnswer(main, [&] { return NowMs() - idleStart > firstItem; });
  if (slow < 0 || idle < 0 || ListRowCount(list) <= before) {
    std::printf("slow render: the window stopped answering or the copy made no item\n");
    return 1;
  }
  before = ListRowCount(list);
  const double again = NowMs();
  if (!source.Copy(slowCopy("slow render again"))) return 1;
  LongestAnswer(main, rowAfter(before, again + 20000));
  const double secondItem = NowMs() - again;
  std::printf("window's longest answer while a program renders for %.1f s: %.1f ms (target at most 100), with nothing "
              "copied %.1f ms, ratio %.2f; the copy was an item after %.0f ms, the same program's next copy after "
              "%.0f ms\n",
              kRenderMs / 1000.0, slow, idle, idle > 0 ? slow / idle : 0.0, firstItem, secondItem);
  return 0;
}

int Number(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

}  // namespace

int RunClipboardBenchAction(int argc, char** argv) {
  const std::string action = argc > 1 ? argv[1] : "";
  if (action == "bench-bare-reader") return BareReader(argc > 2 && std::string(argv[2]) == "thread");
  if (action == "bench-clipboard-held" && argc > 2) return BenchClipboardHeld(Number(argv[2]));
  if (action == "bench-slow-render") return BenchSlowRender();
  return 2;
}
