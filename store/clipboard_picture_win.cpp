// The clipboard side of a bitmap capture. While the clipboard is held only the pixels are copied
// and an empty CF_BITMAP is announced; the bitmap itself is handed over when another program asks
// for it. (Handing a bitmap to the clipboard copies all of it again: under Wine it is sent to the
// wine server in full. That copy is no longer made while other programs wait for the clipboard.)
#include "store/clipboard_picture.h"

#include <cstdint>

#include "exchange/image/images_win.h"
#include "exchange/image/pixel_image.h"
#include "store/capture.h"
#include "store/capture_item.h"

namespace {

// Two bitmaps over the same pixel memory: one for the item, one offered on the clipboard. Each is
// deleted on its own; the memory goes with the last of them.
struct SharedPicture {
  HBITMAP item = nullptr;
  HBITMAP offered = nullptr;
};

BITMAPINFO TopDownHeader(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// Copies the bitmap's pixels once into a fresh shared picture; false when it cannot be made.
bool CopyToSharedPicture(HBITMAP bitmap, int width, int height, SharedPicture& shared) {
  if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide) return false;
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
  HANDLE memory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(bytes >> 32),
                                     static_cast<DWORD>(bytes), nullptr);
  if (!memory) return false;
  BITMAPINFO info = TopDownHeader(width, height);
  void* bits = nullptr;
  void* sameBits = nullptr;
  shared.item = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, memory, 0);
  if (shared.item) shared.offered = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &sameBits, memory, 0);
  // The bitmaps keep their views of the memory; its handle is not needed any more.
  CloseHandle(memory);
  bool copied = false;
  if (shared.offered) {
    HDC screen = GetDC(nullptr);
    copied = screen && GetDIBits(screen, bitmap, 0, height, bits, &info, DIB_RGB_COLORS) == height;
    if (screen) ReleaseDC(nullptr, screen);
  }
  if (copied) return true;
  if (shared.item) DeleteObject(shared.item);
  if (shared.offered) DeleteObject(shared.offered);
  shared = SharedPicture{};
  return false;
}

// A display-format bitmap (what other programs expect as CF_BITMAP) with the picture's pixels;
// nullptr when it cannot be made.
HBITMAP DisplayCopy(HBITMAP picture) {
  BITMAP size{};
  if (!GetObjectA(picture, sizeof size, &size)) return nullptr;
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  HBITMAP copy = CreateCompatibleBitmap(screen, size.bmWidth, size.bmHeight);
  HDC source = CreateCompatibleDC(screen);
  HDC target = CreateCompatibleDC(screen);
  bool drawn = false;
  if (copy && source && target) {
    HGDIOBJ oldSource = SelectObject(source, picture);
    HGDIOBJ oldTarget = SelectObject(target, copy);
    drawn = BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY) != 0;
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
  }
  if (source) DeleteDC(source);
  if (target) DeleteDC(target);
  ReleaseDC(nullptr, screen);
  if (!drawn && copy) {
    DeleteObject(copy);
    copy = nullptr;
  }
  return copy;
}

// Hands a display copy of the picture to the open clipboard, which owns it from then on.
bool PlaceCopy(HBITMAP picture) {
  HBITMAP copy = DisplayCopy(picture);
  if (!copy) return false;
  HANDLE placed = SetClipboardData(CF_BITMAP, copy);
  if (!placed) {
    DeleteObject(copy);
    return false;
  }
  Capture.LastOwnBitmap = static_cast<HBITMAP>(placed);
  return true;
}

void DropOfferedPixels() {
  if (Capture.OfferedPicture) DeleteObject(Capture.OfferedPicture);
  Capture.OfferedPicture = nullptr;
}

// True while the clipboard still holds what the program offered. Emptying the clipboard tells
// the owner (WM_DESTROYCLIPBOARD); should that have been missed, another owner shows it.
bool ClipboardHoldsOffer() {
  if (!Capture.OfferingWindow) return false;
  if (GetClipboardOwner() == Capture.OfferingWindow) return true;
  ReleaseOfferedPicture();
  return false;
}

// Empties the open clipboard and offers the picture in place of what was there; takes the picture
// over. Without a window to answer for it, a copy is placed at once.
void OfferPicture(HBITMAP picture) {
  HWND owner = GetOpenClipboardWindow();
  // Emptying tells the previous owner; when that is the program, its earlier offer is released.
  if (!EmptyClipboard()) {
    DeleteObject(picture);
    return;
  }
  if (!owner) {
    PlaceCopy(picture);
    DeleteObject(picture);
    return;
  }
  // Announced without data (delayed rendering). SetClipboardData returns null either way; only a
  // failure sets the error.
  SetLastError(ERROR_SUCCESS);
  SetClipboardData(CF_BITMAP, nullptr);
  if (GetLastError() != ERROR_SUCCESS) {
    DeleteObject(picture);
    return;
  }
  Capture.OfferedPicture = picture;
  Capture.OfferingWindow = owner;
}

}  // namespace

int TakeClipboardBitmap(HBITMAP bitmap) {
  if (!bitmap || bitmap == Capture.LastOwnBitmap || ClipboardHoldsOffer()) return 0;
  Capture.LastOwnBitmap = bitmap;
  BITMAP size{};
  if (!GetObjectA(bitmap, sizeof size, &size)) return 0;
  PlayCaptureSound();
  SharedPicture shared;
  if (!CopyToSharedPicture(bitmap, size.bmWidth, size.bmHeight, shared)) return 0;
  const int picture = AdoptImageHandle(-1, shared.item, false);
  if (!picture) {
    DeleteObject(shared.offered);
    return 0;
  }
  OfferPicture(shared.offered);
  return picture;
}

void RenderOfferedPicture(UINT format) {
  if (format != CF_BITMAP || !Capture.OfferedPicture) return;
  // Once handed over the clipboard keeps its own copy: the shared pixels are not needed any more.
  if (PlaceCopy(Capture.OfferedPicture)) DropOfferedPixels();
}

void RenderAllOfferedPictures(HWND window) {
  if (!Capture.OfferedPicture) return;
  if (OpenClipboard(window)) {
    if (GetClipboardOwner() == window) PlaceCopy(Capture.OfferedPicture);
    CloseClipboard();
  }
  ReleaseOfferedPicture();
}

void ReleaseOfferedPicture() {
  DropOfferedPixels();
  Capture.OfferingWindow = nullptr;
}
