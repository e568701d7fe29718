// The numbered image records and the bitmaps behind them.
#include "exchange/image/images_win.h"

ImageServices Imaging;

namespace {

// The screen's device context, for bitmaps compatible with the display.
class DisplayContext {
 public:
  DisplayContext() : dc_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {}
  ~DisplayContext() {
    if (dc_) DeleteDC(dc_);
  }
  DisplayContext(const DisplayContext&) = delete;
  DisplayContext& operator=(const DisplayContext&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

void ReleaseHandle(const ImageRecord& record) {
  if (!record.handle) return;
  if (record.isIcon) {
    DestroyIcon(static_cast<HICON>(record.handle));
  } else {
    DeleteObject(record.handle);
  }
}

const ImageRecord* Find(int image) {
  const auto found = Imaging.images.find(image);
  return found == Imaging.images.end() ? nullptr : &found->second;
}

int ChooseNumber(int number) {
  if (number != -1) return number >= 1 ? number : 0;
  while (Imaging.images.count(Imaging.nextNumber)) ++Imaging.nextNumber;
  return Imaging.nextNumber++;
}

bool FitsRecord(long width, long height) {
  return width >= 1 && height >= 1 && width <= MaxImageSide && height <= MaxImageSide;
}

// Size and depth of a bitmap, or of an icon's colour bitmap (its mask for a monochrome icon,
// which holds the AND and XOR halves one above the other).
bool Measure(HANDLE handle, bool isIcon, ImageRecord& record) {
  BITMAP bitmap{};
  if (!isIcon) {
    if (!GetObjectA(handle, sizeof bitmap, &bitmap)) return false;
  } else {
    ICONINFO info{};
    if (!GetIconInfo(static_cast<HICON>(handle), &info)) return false;
    const bool measured = GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap) != 0;
    if (!info.hbmColor) bitmap.bmHeight /= 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (!measured) return false;
  }
  if (!FitsRecord(bitmap.bmWidth, bitmap.bmHeight)) return false;
  record.width = static_cast<short>(bitmap.bmWidth);
  record.height = static_cast<short>(bitmap.bmHeight);
  record.depth = static_cast<short>(bitmap.bmBitsPixel * bitmap.bmPlanes);
  return true;
}

BITMAPINFO TwentyFourBitHeader(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // negative: top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(RowSize(width) * (height < 0 ? -height : height));
  return info;
}

// An icon drawn at its own size on white into a new display-format bitmap; nullptr on failure.
HBITMAP IconAsBitmap(const ImageRecord& record) {
  DisplayContext display;
  if (!display.get()) return nullptr;
  HBITMAP bitmap = CreateCompatibleBitmap(display.get(), record.width, record.height);
  HDC dc = CreateCompatibleDC(nullptr);
  bool drawn = false;
  if (bitmap && dc) {
    HGDIOBJ previous = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, record.width, record.height, WHITENESS);
    drawn = DrawIconEx(dc, 0, 0, static_cast<HICON>(record.handle), record.width, record.height, 0, nullptr,
                       DI_NORMAL) != 0;
    SelectObject(dc, previous);
  }
  if (dc) DeleteDC(dc);
  if (!drawn && bitmap) {
    DeleteObject(bitmap);
    bitmap = nullptr;
  }
  return bitmap;
}

}  // namespace

void InitImageServices() { RegisterImageCodecs(Codecs); }

void FreeAllImages() {
  for (const auto& [number, record] : Imaging.images) ReleaseHandle(record);
  Imaging.images.clear();
}

BITMAPINFO TopDownHeader32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

int AdoptImageHandle(int number, HANDLE handle, bool isIcon) {
  ImageRecord record;
  record.handle = handle;
  record.isIcon = isIcon;
  const int chosen = handle ? ChooseNumber(number) : 0;
  if (!chosen || !Measure(handle, isIcon, record)) {
    ReleaseHandle(record);
    return 0;
  }
  DisposeImage(chosen);
  Imaging.images[chosen] = record;
  return chosen;
}

int NewImage(int number, int width, int height) {
  if (!FitsRecord(width, height)) return 0;
  DisplayContext display;
  if (!display.get()) return 0;
  HBITMAP bitmap = CreateCompatibleBitmap(display.get(), width, height);
  if (!bitmap) return 0;
  // A new bitmap's content is undefined: make it black.
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ previous = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  return AdoptImageHandle(number, bitmap, false);
}

void DisposeImage(int image) {
  const auto found = Imaging.images.find(image);
  if (found == Imaging.images.end()) return;
  ReleaseHandle(found->second);
  Imaging.images.erase(found);
}

bool ImageExists(int image) { return Find(image) != nullptr; }

HBITMAP ImageBitmap(int image) {
  const ImageRecord* record = Find(image);
  return record ? static_cast<HBITMAP>(record->handle) : nullptr;
}

int WidthOfImage(int image) {
  const ImageRecord* record = Find(image);
  return record ? record->width : 0;
}

int HeightOfImage(int image) {
  const ImageRecord* record = Find(image);
  return record ? record->height : 0;
}

int DepthOfImage(int image) {
  const ImageRecord* record = Find(image);
  return record ? record->depth : 0;
}

bool ImageIsIcon(int image) {
  const ImageRecord* record = Find(image);
  return record && record->isIcon;
}

bool ReadImagePixels(int image, PixelImage& pixels) {
  pixels = PixelImage{};
  const ImageRecord* record = Find(image);
  if (!record) return false;
  // An icon has no bitmap of its own to read: its picture is drawn into one.
  HBITMAP bitmap = record->isIcon ? IconAsBitmap(*record) : static_cast<HBITMAP>(record->handle);
  if (!bitmap) return false;
  BITMAP size{};
  bool read = GetObjectA(bitmap, sizeof size, &size) && AllocatePixelImage(pixels, size.bmWidth, size.bmHeight, true);
  if (read) {
    DisplayContext display;
    BITMAPINFO info = TwentyFourBitHeader(pixels.width, pixels.height);
    read = display.get() &&
           GetDIBits(display.get(), bitmap, 0, static_cast<UINT>(pixels.height), pixels.pixels.data(), &info,
                     DIB_RGB_COLORS) == pixels.height;
  }
  if (record->isIcon) DeleteObject(bitmap);
  if (!read) pixels = PixelImage{};
  return read;
}

int ImageFromPixels(int number, const PixelImage& pixels) {
  if (!FitsRecord(pixels.width, pixels.height) ||
      pixels.pixels.size() < static_cast<size_t>(RowSize(pixels.width)) * static_cast<size_t>(pixels.height)) {
    return 0;
  }
  DisplayContext display;
  if (!display.get()) return 0;
  HBITMAP bitmap = CreateCompatibleBitmap(display.get(), pixels.width, pixels.height);
  if (!bitmap) return 0;
  BITMAPINFO info = TwentyFourBitHeader(pixels.width, pixels.bottomUp ? pixels.height : -pixels.height);
  if (SetDIBits(display.get(), bitmap, 0, static_cast<UINT>(pixels.height), pixels.pixels.data(), &info,
                DIB_RGB_COLORS) != pixels.height) {
    DeleteObject(bitmap);
    return 0;
  }
  return AdoptImageHandle(number, bitmap, false);
}
