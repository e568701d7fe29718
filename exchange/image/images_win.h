// In-memory pictures of the program: numbered images holding a display-format bitmap (or an icon),
// made from and written to BMP, icon, PNG and JPEG files.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "exchange/image/image_codecs.h"

struct ImageRecord {
  HANDLE handle = nullptr;  // HBITMAP, or HICON for an image loaded from an icon file
  bool isIcon = false;
  short width = 0;
  short height = 0;
  short depth = 0;  // bits per pixel of the bitmap
};

// Images are known by numbers from 1 up; 0 means none. Passing -1 where a number is asked for
// lets the services choose a fresh one.
struct ImageServices {
  std::map<int, ImageRecord> images;
  int nextNumber = 1;
};
extern ImageServices Imaging;

// Registers the codecs (RegisterImageCodecs on the program-wide table); done once at start-up.
void InitImageServices();
// Releases every image (shutdown).
void FreeAllImages();

// A new image of the display's format filled with black. `number` -1 chooses a fresh number; a
// number that holds an image already replaces it. Returns the number, or 0 when it cannot be made.
int NewImage(int number, int width, int height);
// Releases the image's bitmap or icon and its record; unknown numbers are ignored.
void DisposeImage(int image);
bool ImageExists(int image);
// The image's bitmap (or icon) handle, nullptr when there is no such image.
HBITMAP ImageBitmap(int image);
int WidthOfImage(int image);
int HeightOfImage(int image);
int DepthOfImage(int image);
bool ImageIsIcon(int image);

// The header of a 32-bit RGB picture stored top row first, as the program's own pixel buffers are.
BITMAPINFO TopDownHeader32(int width, int height);

// Takes ownership of a bitmap (or icon) handle as an image, reading its size and depth. Returns
// the number, or 0 (and the handle released) when the handle is unusable or too large.
int AdoptImageHandle(int number, HANDLE handle, bool isIcon);

// Decodes a picture file by its content: "BM" → bitmap, else the registered decoders, else icon.
// Returns a fresh image number, or 0 when the file cannot be opened or decoded, or its header
// states sides beyond the budget or other than `required` (then no icon is tried either).
int LoadImageFile(const std::string& path, RequiredSize required = AnySize);
// Writes the image as BMP, JPEG (quality 0 … 10, clamped) or PNG. 1 when the file was written
// completely, 0 otherwise (then no partial file is left behind).
int SaveImageFile(int image, const std::string& path, ImageEncoding encoding,
                  int quality = DefaultImageQuality);

// The image's pixels in the exchange format, bottom row first (24-bit GetDIBits). False when the
// image has no readable bitmap.
bool ReadImagePixels(int image, PixelImage& pixels);
// A new display-format image made from exchange-format pixels; returns the number or 0.
int ImageFromPixels(int number, const PixelImage& pixels);
