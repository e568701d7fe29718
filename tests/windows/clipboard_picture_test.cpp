// A captured bitmap is offered back on the clipboard without its data: other readers get the same
// pixels when they ask, the program never takes its own offer for a new picture, a later bitmap
// from elsewhere is taken again, and the picture stays on the clipboard after the window is gone.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_picture_win.h"
#include "store/spare_picture_win.h"
#include "app/window_callback_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

using Pixels = std::vector<uint32_t>;

Pixels Pattern(int width, int height, uint32_t seed) {
  Pixels pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels[static_cast<size_t>(y) * width + x] = (seed * 2654435761u + x * 40503u + y * 9973u) & 0xFFFFFFu;
    }
  }
  return pixels;
}

// A display-format bitmap, as other programs put on the clipboard.
HBITMAP BitmapOf(const Pixels& pixels, int width, int height) {
  BITMAPINFO info = TopDownHeader32(width, height);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// The colours of a bitmap, top row first; empty when it cannot be read.
Pixels PixelsOf(HBITMAP bitmap) {
  BITMAP size{};
  if (!bitmap || !GetObjectA(bitmap, sizeof size, &size)) return {};
  Pixels pixels(static_cast<size_t>(size.bmWidth) * size.bmHeight);
  BITMAPINFO info = TopDownHeader32(size.bmWidth, size.bmHeight);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, size.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != size.bmHeight) return {};
  for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
  return pixels;
}

// Retries for a long while: Wine's own clipboard bridge may hold the clipboard after a change.
bool OpenClipboardFor(HWND window) {
  for (int attempt = 0; attempt < 5000; ++attempt) {
    if (OpenClipboard(window)) return true;
    Sleep(2);
  }
  return false;
}

// Runs `work` on another thread, as another program would, while this thread answers the
// messages the clipboard sends to the program's window (render, destroy).
void Elsewhere(const std::function<void()>& work) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    work();
    done = true;
  });
  MSG message;
  while (!done) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(1);
  }
  other.join();
}

// Another program copies a bitmap.
void CopyElsewhere(const Pixels& pixels, int width, int height) {
  Elsewhere([&] {
    HBITMAP bitmap = BitmapOf(pixels, width, height);
    ASSERT_TRUE(OpenClipboardFor(nullptr));
    EmptyClipboard();
    if (!SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
    CloseClipboard();
  });
}

// Another program pastes: the pixels of the clipboard's CF_BITMAP, and whether it is a plain
// bitmap (a DIB section cannot be handed to another process).
Pixels PasteElsewhere(bool* plainBitmap = nullptr) {
  Pixels pixels;
  Elsewhere([&] {
    ASSERT_TRUE(OpenClipboardFor(nullptr));
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    pixels = PixelsOf(bitmap);
    BITMAP size{};
    if (plainBitmap) *plainBitmap = bitmap && GetObjectA(bitmap, sizeof size, &size) && !size.bmBits;
    CloseClipboard();
  });
  return pixels;
}

// Waits a while for the spare made after a capture; true when it is there.
bool SpareReady() {
  for (int wait = 0; wait < 2000 && !SparePictures.HasSpare(); ++wait) Sleep(5);
  return SparePictures.HasSpare();
}

class ClipboardPicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitWindowLayer();
    InitImageServices();
  }
  void SetUp() override {
    Settings = SettingsState{};
    Settings.SoundOnCapture = 0;
    Capture = CaptureState{};
    Ui.MainWindow = NewWindow(-1, 0, 0, 120, 80, WindowHidden, "clipboard picture", nullptr);
    ASSERT_NE(Ui.MainWindow, 0);
    SetWindowHook(WindowCallback);
  }
  void TearDown() override {
    if (Ui.MainWindow) DisposeWindow(Ui.MainWindow);
    SetWindowHook(nullptr);
    Ui = MainWindowState{};
    ReleaseOfferedPicture();
    Capture = CaptureState{};
  }

  static HWND Main() { return WindowHandle(Ui.MainWindow); }

  // The program's capture of whatever the clipboard holds now: the image number or 0.
  static int CaptureNow() {
    if (!OpenClipboardFor(Main())) return 0;
    const int picture = TakeClipboardBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    return picture;
  }
};

TEST_F(ClipboardPicture, AnotherReaderGetsTheCapturedPixelsWhenItAsks) {
  const Pixels first = Pattern(200, 150, 1);
  CopyElsewhere(first, 200, 150);
  const int picture = CaptureNow();
  ASSERT_NE(picture, 0);
  EXPECT_EQ(WidthOfImage(picture), 200);
  EXPECT_EQ(HeightOfImage(picture), 150);
  EXPECT_TRUE(PixelsOf(ImageBitmap(picture)) == first);

  // Offered, not yet handed over: the copy for other programs is made when one asks.
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_NE(Capture.OfferedPicture, nullptr);
  bool plain = false;
  EXPECT_TRUE(PasteElsewhere(&plain) == first);
  EXPECT_TRUE(plain) << "CF_BITMAP must be a plain bitmap that can cross processes";
  EXPECT_EQ(Capture.OfferedPicture, nullptr) << "handed over, the offered pixels are let go";
  EXPECT_TRUE(PasteElsewhere() == first) << "a second reader gets the same";

  // The item's picture shared its pixels with the offer and is still whole.
  EXPECT_TRUE(PixelsOf(ImageBitmap(picture)) == first);
  DisposeImage(picture);
}

TEST_F(ClipboardPicture, TheOfferOutlivesTheItemsPicture) {
  const Pixels first = Pattern(64, 48, 2);
  CopyElsewhere(first, 64, 48);
  const int picture = CaptureNow();
  ASSERT_NE(picture, 0);
  DisposeImage(picture);
  EXPECT_TRUE(PasteElsewhere() == first);
}

TEST_F(ClipboardPicture, TheProgramsOwnOfferIsNeverCapturedAgain) {
  const Pixels first = Pattern(80, 60, 3);
  CopyElsewhere(first, 80, 60);
  const int picture = CaptureNow();
  ASSERT_NE(picture, 0);
  DisposeImage(picture);
  const size_t images = Imaging.images.size();

  // Before anybody asked: whatever bitmap handle the clipboard gives, it is the program's offer.
  HBITMAP stranger = BitmapOf(first, 80, 60);
  ASSERT_TRUE(OpenClipboardFor(Main()));
  EXPECT_EQ(TakeClipboardBitmap(stranger), 0);
  CloseClipboard();
  DeleteObject(stranger);
  // Asking for it renders the copy; that copy is not taken either, and reading it once more
  // changes nothing.
  EXPECT_EQ(CaptureNow(), 0);
  EXPECT_EQ(CaptureNow(), 0);
  EXPECT_EQ(Imaging.images.size(), images);
  EXPECT_TRUE(PasteElsewhere() == first);
}

TEST_F(ClipboardPicture, LaterBitmapsFromAnotherProgramAreCaptured) {
  const Pixels first = Pattern(90, 70, 4);
  const Pixels second = Pattern(70, 90, 5);
  const Pixels third = Pattern(50, 40, 6);
  CopyElsewhere(first, 90, 70);
  const int one = CaptureNow();
  ASSERT_NE(one, 0);

  // Emptying the clipboard tells the program, which lets its unrendered offer go.
  CopyElsewhere(second, 70, 90);
  EXPECT_EQ(Capture.OfferedPicture, nullptr);
  EXPECT_EQ(Capture.OfferingWindow, nullptr);
  const int two = CaptureNow();
  ASSERT_NE(two, 0);
  EXPECT_TRUE(PixelsOf(ImageBitmap(two)) == second);
  EXPECT_TRUE(PasteElsewhere() == second);

  // And after an offer that was rendered.
  CopyElsewhere(third, 50, 40);
  const int three = CaptureNow();
  ASSERT_NE(three, 0);
  EXPECT_TRUE(PixelsOf(ImageBitmap(three)) == third);
  EXPECT_TRUE(PasteElsewhere() == third);
  EXPECT_TRUE(PixelsOf(ImageBitmap(one)) == first) << "earlier pictures keep their pixels";
  for (int picture : {one, two, three}) DisposeImage(picture);
}

TEST_F(ClipboardPicture, ThePictureStaysOnTheClipboardAfterTheWindowIsGone) {
  const Pixels first = Pattern(120, 30, 7);
  CopyElsewhere(first, 120, 30);
  const int picture = CaptureNow();
  ASSERT_NE(picture, 0);
  DisposeImage(picture);

  DisposeWindow(Ui.MainWindow);
  Ui.MainWindow = 0;
  EXPECT_EQ(Capture.OfferedPicture, nullptr);
  EXPECT_TRUE(PasteElsewhere() == first);
}

TEST_F(ClipboardPicture, WithoutAWindowToAnswerACopyIsPlacedAtOnce) {
  const Pixels first = Pattern(40, 30, 8);
  CopyElsewhere(first, 40, 30);
  ASSERT_TRUE(OpenClipboardFor(nullptr));
  const int picture = TakeClipboardBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  CloseClipboard();
  ASSERT_NE(picture, 0);
  DisposeImage(picture);
  EXPECT_EQ(Capture.OfferedPicture, nullptr);
  EXPECT_TRUE(PasteElsewhere() == first);
  // The placed copy is the program's own.
  EXPECT_EQ(CaptureNow(), 0);
}

// Captures after the first of a size copy into a spare made ahead: each still gets its own pixels,
// and a spare of another size is never used for a picture.
TEST_F(ClipboardPicture, CapturesInARowKeepTheirOwnPixelsWhateverTheirSize) {
  const Pixels first = Pattern(160, 120, 11);
  const Pixels second = Pattern(160, 120, 12);
  const Pixels third = Pattern(120, 160, 13);
  const Pixels fourth = Pattern(160, 120, 14);
  CopyElsewhere(first, 160, 120);
  const int one = CaptureNow();
  ASSERT_NE(one, 0);
  ASSERT_TRUE(SpareReady());

  CopyElsewhere(second, 160, 120);
  const int two = CaptureNow();
  ASSERT_NE(two, 0);
  EXPECT_TRUE(PixelsOf(ImageBitmap(two)) == second);
  EXPECT_TRUE(PasteElsewhere() == second);
  EXPECT_TRUE(PixelsOf(ImageBitmap(one)) == first) << "the spare is memory of its own";
  ASSERT_TRUE(SpareReady());

  // The spare there is of the other size.
  CopyElsewhere(third, 120, 160);
  const int three = CaptureNow();
  ASSERT_NE(three, 0);
  EXPECT_EQ(WidthOfImage(three), 120);
  EXPECT_EQ(HeightOfImage(three), 160);
  EXPECT_TRUE(PixelsOf(ImageBitmap(three)) == third);
  EXPECT_TRUE(PasteElsewhere() == third);

  ASSERT_TRUE(SpareReady());
  CopyElsewhere(fourth, 160, 120);
  const int four = CaptureNow();
  ASSERT_NE(four, 0);
  EXPECT_TRUE(PixelsOf(ImageBitmap(four)) == fourth);
  EXPECT_TRUE(PasteElsewhere() == fourth);
  EXPECT_TRUE(PixelsOf(ImageBitmap(two)) == second);
  for (int picture : {one, two, three, four}) DisposeImage(picture);
}

}  // namespace
