#include "tools/driver/bench_driver.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/code_page_win.h"
#include "core/commands.h"
#include "store/items_file.h"
#include "exchange/image/image_codecs.h"
#include "settings/prefs_file.h"
#include "tools/driver/bench_timing.h"
#include "tools/driver/capture_driver.h"
#include "tools/driver/clipboard_bench_driver.h"
#include "tools/driver/clipboard_driver.h"
#include "tools/driver/durable_write_bench.h"
#include "tools/driver/import_bench.h"
#include "tools/driver/kepsil_process.h"
#include "tools/driver/list_driver.h"
#include "tools/driver/window_driver.h"

namespace {

int Number(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

// A folder path ending in a backslash.
std::string Folder(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Largest(const std::vector<double>& values) {
  return values.empty() ? -1 : *std::max_element(values.begin(), values.end());
}

HWND ProgramList() {
  HWND main = FindWindowW(nullptr, L"KepSil!");
  return main ? FindChild(main, "SysListView32") : nullptr;
}

// The picture of a PNG file; false when the file cannot be read or decoded.
bool ReadPngPicture(const std::string& path, PixelImage& image) {
  std::vector<unsigned char> file;
  return ReadFileContents(path, file) && DecodePng(file.data(), file.size(), image) == DecodeStatus::Ok;
}

// A screen-compatible bitmap holding a PNG file's picture; nullptr when the file cannot be read.
HBITMAP BitmapFromPng(const std::string& path) {
  PixelImage image;
  if (!ReadPngPicture(path, image)) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // rows top first, as the decoder gives them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, image.width, image.height);
  if (bitmap && !SetDIBits(screen, bitmap, 0, image.height, image.pixels.data(), &info, DIB_RGB_COLORS)) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HGLOBAL TextBlock(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return nullptr;
  char* bytes = static_cast<char*>(GlobalLock(memory));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, bytes);
  GlobalUnlock(memory);
  return memory;
}

HGLOBAL WideTextBlock(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* chars = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
  GlobalUnlock(memory);
  return memory;
}

struct ClipboardOffer {
  UINT format;
  HANDLE data;
};

// A text as a word processor offers it: ANSI and Unicode text that differ (Greek), about 20 KB of
// rich text and of HTML beside it.
std::vector<ClipboardOffer> RichTextOffer(int serial) {
  const std::string tag = std::to_string(GetCurrentProcessId()) + " " + std::to_string(serial);
  std::wstring unicode = L"bench \x03BA\x03B5\x03AF\x03BC\x03B5\x03BD\x03BF ";
  unicode += std::wstring(tag.begin(), tag.end());
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}\\f0 ";
  std::string html = "Version:0.9\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n<html><body>";
  while (rtf.size() < 20000) rtf += "\\b bench\\b0  text " + tag + "\\par ";
  while (html.size() < 20000) html += "<p><b>bench</b> text " + tag + "</p>";
  rtf += "}";
  html += "</body></html>";
  return {{CF_TEXT, TextBlock("bench keimeno " + tag)},
          {CF_UNICODETEXT, WideTextBlock(unicode)},
          {RegisterClipboardFormatA("Rich Text Format"), TextBlock(rtf)},
          {RegisterClipboardFormatA("HTML Format"), TextBlock(html)}};
}

// Sets the data on the clipboard; the time in ms at which the last SetClipboardData returned, -1
// when the clipboard could not be had. The clipboard is closed afterwards, which announces the
// change.
double PutOnClipboard(const std::vector<ClipboardOffer>& offers) {
  bool open = false;
  for (int attempt = 0; attempt < 2000 && !open; ++attempt) {
    open = OpenClipboard(nullptr) != 0;
    if (!open) Sleep(1);
  }
  if (!open) return -1;
  EmptyClipboard();
  bool set = true;
  for (const ClipboardOffer& offer : offers) set = SetClipboardData(offer.format, offer.data) != nullptr && set;
  const double at = NowMs();
  CloseClipboard();
  return set ? at : -1;
}

// When a new row came, as WaitForNewRow, but the list is not asked while a window holds the
// clipboard open: each question wakes the program's window and Wine's server, which would slow
// the read being timed. The clipboard's state is asked of the server alone.
double WaitForNewRowAfterRead(HWND list, int before, double timeoutMs = 20000) {
  const double start = NowMs();
  while (NowMs() - start < timeoutMs) {
    if (!GetOpenClipboardWindow() && ListRowCount(list) > before) return NowMs();
    Sleep(1);
  }
  return -1;
}

// bench-capture text|richtext|PICTURE.png REPEATS LABEL: latency runs first, then runs with the
// clipboard probe (its own tries would otherwise delay the program's). "richtext" offers a Greek
// text with rich text and HTML.
int BenchCapture(const std::string& source, int repeats, const std::string& label) {
  HWND list = ProgramList();
  if (!list) return 1;
  HBITMAP picture = nullptr;
  const bool richText = source == "richtext";
  if (source != "text" && !richText && !(picture = BitmapFromPng(source))) return 1;
  static int serial = 0;
  std::vector<double> latency, refused;
  for (int run = 0; run < 2 * repeats; ++run) {
    const bool probing = run >= repeats;
    std::vector<ClipboardOffer> offers;
    if (picture) {
      offers = {{CF_BITMAP, CopyImage(picture, IMAGE_BITMAP, 0, 0, 0)}};
    } else if (richText) {
      offers = RichTextOffer(++serial);
    } else {
      offers = {{CF_TEXT, TextBlock("bench text " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(++serial))}};
    }
    const int before = ListRowCount(list);
    const double set = PutOnClipboard(offers);
    if (set < 0) return 1;
    ClipboardProbe* probe = probing ? new ClipboardProbe : nullptr;
    const double shown = WaitForNewRowAfterRead(list, before);
    if (probe) {
      Sleep(30);
      refused.push_back(probe->Stop());
      delete probe;
    }
    if (shown < 0) {
      std::printf("%s: no new row within 20 s\n", label.c_str());
      return 1;
    }
    if (!probing) latency.push_back(shown - set);
    Sleep(300);  // let the program settle (files, repaint) before the next one
  }
  if (picture) DeleteObject(picture);
  std::printf("capture latency %s: median %.1f ms, max %.1f ms (%d runs)\n", label.c_str(), Median(latency),
              Largest(latency), repeats);
  std::printf("clipboard refused %s: median of longest %.1f ms, max %.1f ms (%d runs)\n", label.c_str(),
              Median(refused), Largest(refused), repeats);
  return 0;
}

// The picture of a PNG file written again as the program writes its own thumbnails and pictures.
bool WrittenAsTheProgramWould(const std::string& path, std::vector<uint8_t>& png) {
  PixelImage image;
  return ReadPngPicture(path, image) && EncodePng(image, 0, png);
}

// bench-items FOLDER COUNT THUMB.png [LIMIT]: a working directory of COUNT stored items
// (alternately pictures and texts) for a program in FOLDER, with the item limit raised to hold
// them, or to LIMIT when that is more (new rows are told by the row count, which stops growing at
// the limit). Their files are PNG files as the program writes them, whatever encoder made THUMB.
int BenchItems(const std::string& folder, int count, const std::string& thumbnailPath, int limit) {
  std::vector<uint8_t> thumbnail;
  if (!WrittenAsTheProgramWould(thumbnailPath, thumbnail)) return 1;
  const std::string working = Folder(folder) + "Clipboard\\";
  CreateDirectoryW(Wide(working).c_str(), nullptr);
  std::vector<StoredItem> items;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "2026120%d%06d", i % 2, i);
    StoredItem item{i % 2 == 0 ? 0 : 1, i % 5 == 0 ? 1 : 0, name};
    const std::string base = working + name;
    const std::string text = "stored text " + std::to_string(i);
    if (!WriteFileContents(base + ".clt", thumbnail) ||
        !WriteFileContents(base + (item.kind == 0 ? ".bmp" : ".txt"),
                           item.kind == 0 ? thumbnail : std::vector<unsigned char>(text.begin(), text.end()))) {
      return 1;
    }
    items.push_back(item);
  }
  SettingsState settings;
  settings.ItemLimit = std::max(count, limit);
  const std::vector<uint8_t> prefs = SerializePrefs(settings);
  const std::vector<uint8_t> records = SerializeItemsFile(items);
  return WriteFileContents(working + "prefs.dat", std::vector<unsigned char>(prefs.begin(), prefs.end())) &&
                 WriteFileContents(working + "items.dat", std::vector<unsigned char>(records.begin(), records.end()))
             ? 0
             : 1;
}

// Waits until the process shows a window titled `title` that is placed on the screen and passes
// `ready` (given that window); the milliseconds since `start`, or -1 after 30 s.
template <typename Ready>
double TimeToShownWindow(DWORD processId, double start, const char* title, Ready ready) {
  while (NowMs() - start < 30000) {
    HWND window = FindProcessWindow(processId, title);
    RECT frame{};
    // Placed on the screen (the program builds its window just right of it).
    const bool shown = window && IsWindowVisible(window) && GetWindowRect(window, &frame) &&
                       frame.left < GetSystemMetrics(SM_CXSCREEN);
    if (shown && ready(window)) return NowMs() - start;
    // Every look costs the program's wine server time too: look every 10 ms, not every 1.
    Sleep(10);
  }
  return -1;
}

const char kBareWindowTitle[] = "ksdriver bare window";

// One start of this driver as a bare window program, to its window on the screen; -1 on failure.
double TimeBareWindowStart() {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return -1;
  HelperProgram bare;  // ended when it goes out of scope, between the timed starts
  const double start = NowMs();
  if (!bare.Start("\"" + Utf8(self) + "\" bare-window")) return -1;
  return TimeToShownWindow(bare.Id(), start, kBareWindowTitle, [](HWND) { return true; });
}

// bench-startup FOLDER COUNT REPEATS: starts the program in FOLDER and times it to a list with
// COUNT rows, then ends it with Exit. Each run is paired with a start of a bare window program,
// the least that any window program costs to start under this system.
int BenchStartup(const std::string& folder, int count, int repeats) {
  std::vector<double> times, bareTimes;
  for (int run = 0; run < repeats; ++run) {
    const double bare = TimeBareWindowStart();
    if (bare < 0) {
      std::printf("start-up: the bare window program did not show its window\n");
      return 1;
    }
    bareTimes.push_back(bare);
    KepsilProcess program;
    program.UseFolder(Folder(folder));
    const double start = NowMs();
    if (!program.Start()) return 1;
    const double filled = TimeToShownWindow(program.Id(), start, "KepSil!", [&](HWND main) {
      HWND list = FindChild(main, "SysListView32");
      return list && ListRowCount(list) >= count;
    });
    if (filled < 0) {
      program.Kill();
      std::printf("start-up: the list never held %d rows\n", count);
      return 1;
    }
    times.push_back(filled);
    program.WaitForMainWindow();
    if (!program.Exit()) program.Kill();
  }
  std::printf("start-up with %d items to a filled list: median %.1f ms, max %.1f ms (%d runs)\n", count,
              Median(times), Largest(times), repeats);
  std::printf("start-up of a bare window program to its window: median %.1f ms, max %.1f ms; "
              "the program's own share: median %.1f ms\n",
              Median(bareTimes), Largest(bareTimes), Median(times) - Median(bareTimes));
  return 0;
}

// bench-scroll: pages the program's list from its first row to its last with Page Down and back
// with Ctrl+Home; times each page until the list has painted it.
int BenchScroll() {
  HWND list = ProgramList();
  if (!list) return 1;
  const int rows = ListRowCount(list);
  const int perPage = std::max(1, static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)));
  SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
  std::vector<double> pages;
  for (int page = 0; page * perPage < rows; ++page) {
    const double start = NowMs();
    SendMessageA(list, WM_KEYDOWN, VK_NEXT, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
    // A message answered after the paint: the page is on the screen.
    SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    pages.push_back(NowMs() - start);
  }
  SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
  std::printf("page down through %d rows: median %.1f ms, max %.1f ms (%zu pages)\n", rows, Median(pages),
              Largest(pages), pages.size());
  return 0;
}

// Sets the find field's text as typing would leave it and times it until the list has painted the
// rows it shows.
double TimeFindKeystroke(HWND field, HWND list, const std::wstring& typed) {
  const double start = NowMs();
  // The field reports the change to the program, which filters the rows before this returns.
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW);
  SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  return NowMs() - start;
}

// bench-find: opens the program's find field, types a text query and a picture size into it a
// letter at a time and takes each back again, timing every keystroke. The very first one reads
// every item's text and is told apart.
int BenchFind() {
  HWND main = FindWindowW(nullptr, L"KepSil!");
  HWND list = ProgramList();
  if (!main || !list) return 1;
  const int items = ListRowCount(list);
  PostCommand(main, CmdFind);
  HWND field = nullptr;
  if (!WaitUntil([&] {
        field = FindChild(main, "Edit");
        return field && IsWindowVisible(field);
      })) {
    std::printf("find: the find field did not open\n");
    return 1;
  }
  double first = -1;
  std::vector<double> keystrokes;
  for (const std::wstring query : {L"text 12", L"278 * 60"}) {
    std::vector<std::wstring> steps;
    for (size_t n = 1; n <= query.size(); ++n) steps.push_back(query.substr(0, n));
    for (size_t n = query.size(); n-- > 0;) steps.push_back(query.substr(0, n));
    for (const std::wstring& typed : steps) {
      const double ms = TimeFindKeystroke(field, list, typed);
      if (first < 0) {
        first = ms;
      } else {
        keystrokes.push_back(ms);
      }
    }
  }
  PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
  std::printf("find in %d items: first keystroke %.1f ms (reads every item's text), then median %.1f ms, "
              "max %.1f ms (%zu keystrokes)\n",
              items, first, Median(keystrokes), Largest(keystrokes), keystrokes.size());
  return 0;
}

// bare-window: a window program that does nothing but show one window until it is closed.
int BareWindow() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
  };
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "KsBareWindow";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowA("KsBareWindow", kBareWindowTitle, WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

// idle-loop SECONDS: what an idle window program costs at the least: peek for a message, sleep 10 ms.
int IdleLoop(int seconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
  return 0;
}


}  // namespace

int RunBenchAction(int argc, char** argv) {
  const std::string action = argc > 1 ? argv[1] : "";
  if (action == "bench-capture" && argc > 4) return BenchCapture(argv[2], Number(argv[3]), argv[4]);
  if (action == "bench-items" && argc > 4) return BenchItems(argv[2], Number(argv[3]), argv[4], argc > 5 ? Number(argv[5]) : 0);
  if (action == "bench-startup" && argc > 4) return BenchStartup(argv[2], Number(argv[3]), Number(argv[4]));
  if (action == "idle-loop" && argc > 2) return IdleLoop(Number(argv[2]));
  if (action == "bench-durable" && argc > 4) return BenchDurableWrites(argv[2], argv[3], Number(argv[4]));
  if (action == "bench-import" && argc > 2) return BenchImport(argv[2]);
  if (action == "bench-scroll") return BenchScroll();
  if (action == "bench-find") return BenchFind();
  if (action == "bare-window") return BareWindow();
  return RunClipboardBenchAction(argc, argv);
}
