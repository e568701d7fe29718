// Capturing a large clipboard bitmap holds the clipboard only while its pixels are copied: other
// programs may open it again while the picture is encoded and written.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "store/collection_win.h"
#include "core/app_state.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "exchange/image/image_codecs.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/collection.h"
#include "store/picture_writer_win.h"
#include "app/window_callback_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A picture of noise, which deflate needs long for: the encoding is most of the capture.
HBITMAP NoiseBitmap(int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(RowSize(width)) * height);
  uint32_t state = 99;
  for (uint8_t& byte : pixels) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// Retries for a long while: Wine's own clipboard bridge may hold the clipboard after a change.
bool OpenClipboardFor(HWND window) {
  for (int attempt = 0; attempt < 5000; ++attempt) {
    if (OpenClipboard(window)) return true;
    Sleep(2);
  }
  return false;
}

// Another program's view: tries to open the clipboard every millisecond and keeps the longest
// stretch in which it was refused.
class ClipboardProbe {
 public:
  ClipboardProbe() : thread_([this] { Run(); }) {}
  ~ClipboardProbe() { Stop(); }
  ClipboardProbe(const ClipboardProbe&) = delete;
  ClipboardProbe& operator=(const ClipboardProbe&) = delete;
  double Stop() {
    if (thread_.joinable()) {
      running_ = false;
      thread_.join();
    }
    return longest_;
  }

 private:
  void Run() {
    double refusedSince = -1;
    while (running_) {
      const double now = NowMs();
      if (OpenClipboard(nullptr)) {
        CloseClipboard();
        if (refusedSince >= 0) longest_ = std::max(longest_, now - refusedSince);
        refusedSince = -1;
      } else if (refusedSince < 0) {
        refusedSince = now;
      }
      Sleep(1);
    }
  }

  std::atomic<bool> running_{true};
  double longest_ = 0;
  std::thread thread_;
};

class CaptureRelease : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Settings = SettingsState{};
    Settings.ShowAfterCopy = 0;
    Settings.SoundOnCapture = 0;
    Settings.CompressImages = 1;
    BuildMainWindowForTests();
    // The test captures by itself, not on the change announced.
    Settings.WatchClipboard = 0;
    SetWindowHook(WindowCallback);
  }
  static void TearDownTestSuite() { DisposeMainWindowForTests(); }
  void SetUp() override {
    App.AppDir = App.DataDir = NewTempFolder("kepsil-release-");
    ASSERT_TRUE(CreateDirectoryA(WorkingDirectory().c_str(), nullptr));
    Capture = CaptureState{};
  }
  void TearDown() override {
    DiscardPictureWrites();
    EmptyCollectionForTests();
    RemoveWorkingFolder();
  }
};

TEST_F(CaptureRelease, ClipboardIsFreeWhileThePictureIsEncoded) {
  HWND window = WindowHandle(Ui.MainWindow);
  ASSERT_TRUE(OpenClipboardFor(window));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_BITMAP, NoiseBitmap(2000, 1500)), nullptr);
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
  memcpy(GlobalLock(text), "words", 6);
  GlobalUnlock(text);
  ASSERT_NE(SetClipboardData(CF_TEXT, text), nullptr);
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  HANDLE clipboardText = GetClipboardData(CF_TEXT);

  double captureMs = 0, refusedMs = 0;
  {
    ClipboardProbe probe;
    Sleep(5);
    const double start = NowMs();
    CaptureEntry(static_cast<HBITMAP>(bitmap), clipboardText);
    FinishPictureWrites();  // the picture is written in the background: count it in
    captureMs = NowMs() - start;
    CloseClipboard();  // the caller's own close finds it closed already
    refusedMs = probe.Stop();
  }

  // Both the picture and the text became items, newest first.
  ASSERT_EQ(Collection.Items.Count(), 2);
  EXPECT_EQ(Collection.Items.At(0).kind, TextItem);
  EXPECT_EQ(Collection.Items.At(1).kind, ImageItem);
  std::vector<uint8_t> file;
  ASSERT_TRUE(ReadFileBytes(WorkingPath(Collection.Items.At(1).name + ".bmp"), file));
  PixelImage picture;
  ASSERT_EQ(DecodePng(file.data(), file.size(), picture), DecodeStatus::Ok);
  EXPECT_EQ(picture.width, 2000);
  EXPECT_EQ(picture.height, 1500);

  // Most of the capture went into encoding, and the clipboard was free for all of that.
  EXPECT_LT(refusedMs, captureMs / 3) << "capture " << captureMs << " ms";
  // The capture only read: the clipboard holds what was copied, the text too.
  ASSERT_TRUE(OpenClipboardFor(nullptr));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), bitmap);
  EXPECT_NE(GetClipboardData(CF_TEXT), nullptr);
  CloseClipboard();
}

}  // namespace
