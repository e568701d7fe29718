#include "tools/driver/clipboard_source_driver.h"

#include <atomic>
#include <cstring>

#include "tools/driver/clipboard_driver.h"

namespace {

constexpr UINT kCopyMessage = WM_APP + 7;
constexpr UINT kQuitMessage = WM_APP + 8;

struct CopyRequest {
  const std::vector<OfferedFormat>* formats;
  int width, height;
  COLORREF colour;
};

HGLOBAL BlockOf(const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (!block) return nullptr;
  if (!bytes.empty()) std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

bool Place(UINT format, const std::vector<uint8_t>& bytes) {
  HGLOBAL block = BlockOf(bytes);
  if (block && SetClipboardData(format, block)) return true;
  if (block) GlobalFree(block);
  return false;
}

// Opens the clipboard for the window, retrying while the program under test reads it.
bool OpenFor(HWND window) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (OpenClipboard(window)) return true;
    Sleep(10);
  }
  return false;
}

// Wakes a thread's window and runs its message loop until told to end.
void Pump(UINT quitMessage) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == quitMessage) break;
    DispatchMessageW(&message);
  }
}

std::atomic<int> SilentChanges{0};

}  // namespace

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

ClipboardSource::ClipboardSource() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] { Run(ready); });
  WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
}

ClipboardSource::~ClipboardSource() {
  if (window_) PostMessageW(window_, kQuitMessage, 0, 0);
  if (thread_.joinable()) thread_.join();
}

void ClipboardSource::Run(HANDLE ready) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KsClipboardSource";
  RegisterClassW(&windowClass);  // already there for a second source
  window_ = CreateWindowExW(0, L"KsClipboardSource", L"clipboard source", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            windowClass.hInstance, this);
  SetEvent(ready);
  if (!window_) return;
  Pump(kQuitMessage);
  // Gone as the program under test reads: whatever is still delayed is handed over now.
  DestroyWindow(window_);
}

LRESULT CALLBACK ClipboardSource::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<ClipboardSource*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case kCopyMessage: {
      const auto* request = reinterpret_cast<const CopyRequest*>(lParam);
      return self->CopyHere(*request->formats, request->width, request->height, request->colour);
    }
    case WM_RENDERFORMAT: self->Render(static_cast<UINT>(wParam), true); return 0;
    case WM_RENDERALLFORMATS:
      if (OpenFor(window)) {
        if (GetClipboardOwner() == window) {
          std::vector<UINT> formats;
          {
            std::lock_guard<std::mutex> lock(self->mutex_);
            for (const OfferedFormat& offered : self->delayed_) formats.push_back(offered.format);
          }
          for (UINT format : formats) self->Render(format, false);
        }
        CloseClipboard();
      }
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool ClipboardSource::Copy(const std::vector<OfferedFormat>& formats, int bitmapWidth, int bitmapHeight,
                           COLORREF bitmapColour) {
  if (!window_) return false;
  CopyRequest request{&formats, bitmapWidth, bitmapHeight, bitmapColour};
  return SendMessageW(window_, kCopyMessage, 0, reinterpret_cast<LPARAM>(&request)) != 0;
}

bool ClipboardSource::CopyHere(const std::vector<OfferedFormat>& formats, int width, int height, COLORREF colour) {
  if (!OpenFor(window_)) return false;
  EmptyClipboard();
  bool offered = true;
  std::vector<OfferedFormat> delayed;
  for (const OfferedFormat& format : formats) {
    if (format.delayed) {
      SetClipboardData(format.format, nullptr);
      delayed.push_back(format);
    } else {
      offered = Place(format.format, format.bytes) && offered;
    }
  }
  if (width > 0) {
    HBITMAP bitmap = OneColourBitmap(width, height, colour);
    if (!bitmap || !SetClipboardData(CF_BITMAP, bitmap)) {
      if (bitmap) DeleteObject(bitmap);
      offered = false;
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    delayed_ = std::move(delayed);
  }
  CloseClipboard();
  return offered;
}

void ClipboardSource::Render(UINT format, bool wait) {
  OfferedFormat found;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const OfferedFormat& offered : delayed_) {
      if (offered.format == format) found = offered;
    }
    if (wait) ++asked_[format];
  }
  if (!found.format) return;
  if (wait && found.renderDelayMs) Sleep(found.renderDelayMs);
  Place(format, found.bytes);
}

int ClipboardSource::TimesAsked(UINT format) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = asked_.find(format);
  return found == asked_.end() ? 0 : found->second;
}

SilentViewer::SilentViewer() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
      // Swallows every change and every chain change: the next viewer never hears of them.
      if (message == WM_DRAWCLIPBOARD) {
        ++SilentChanges;
        return 0;
      }
      if (message == WM_CHANGECBCHAIN) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KsSilentViewer";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"KsSilentViewer", L"silent viewer", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    HWND next = window ? SetClipboardViewer(window) : nullptr;
    window_ = window;
    SetEvent(ready);
    if (!window) return;
    Pump(kQuitMessage);
    // It leaves properly, so that the tests after it find the chain whole.
    ChangeClipboardChain(window, next);
    DestroyWindow(window);
  });
  WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
}

SilentViewer::~SilentViewer() {
  if (window_) PostMessageW(window_, kQuitMessage, 0, 0);
  if (thread_.joinable()) thread_.join();
}

int SilentViewer::Changes() const { return SilentChanges; }
