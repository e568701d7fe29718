#include "store/item_rows_win.h"

#include <windows.h>
#include <commctrl.h>

#include "exchange/image/images_win.h"
#include "ui/layer/drawing_win.h"

HIMAGELIST NewThumbImageList(int capacity) {
  return ImageList_Create(ThumbWidth, ThumbHeight, ILC_COLORDDB | ILC_MASK, capacity, 0);
}

int LoadThumbnailOrBlank(const std::string& path) {
  // A file of another size is refused by its header, before its pixels cost anything.
  int image = LoadImageFile(path, RequiredSize{ThumbWidth, ThumbHeight});
  if (image && (WidthOfImage(image) != ThumbWidth || HeightOfImage(image) != ThumbHeight)) {
    DisposeImage(image);
    image = 0;
  }
  if (image) return image;
  image = NewImage(-1, ThumbWidth, ThumbHeight);
  if (image && BeginDrawing(image)) {
    DrawBox(0, 0, ThumbWidth, ThumbHeight, BackgroundColour);
    EndDrawing();
  }
  return image;
}
