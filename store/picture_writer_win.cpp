// The window thread's side of the picture writer: it reads the pixels out of the bitmap, hands
// them over, and takes back the items whose file could not be written.
#include "store/picture_writer_win.h"

#include <windows.h>

#include <utility>

#include "core/code_page_win.h"
#include "exchange/image/images_win.h"
#include "store/collection_win.h"

PictureWriter PictureWrites;

namespace {

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An image item of that name whose picture is missing goes like a deleted one. A picture that
// exists meanwhile (a board brought an item of the same name) is left alone.
void WithdrawImageItem(const std::string& name) {
  // By its name: its position is not its row while a find shows only some items.
  const Item* item = FindItem(name);
  if (!item || item->kind != ImageItem) return;
  if (FileExists(NewItemFilePath(name, ImageItem, ItemFile::Content))) return;
  RemoveItem(name);
}

}  // namespace

bool QueuePictureWrite(int image, const std::string& name, const std::string& path, ImageEncoding encoding) {
  // Start-up registers the codecs; a caller that did not still gets its file.
  if (Codecs.encoders.empty()) RegisterImageCodecs(Codecs);
  const ImageEncoder* encoder = FindImageEncoder(Codecs, encoding);
  PictureJob job;
  if (!encoder || !ReadImagePixels(image, job.pixels)) return false;
  job.name = name;
  job.path = path;
  job.encode = encoder->encode;
  job.quality = DefaultImageQuality;
  PictureWrites.Submit(std::move(job));
  return true;
}

void FinishPictureWrites() { PictureWrites.WaitAll(); }

void CancelPictureWrite(const std::string& name) { PictureWrites.Cancel(name); }

void DiscardPictureWrites() { PictureWrites.CancelAll(); }

bool CollectPictureWrites() {
  for (const std::string& name : PictureWrites.TakeFailures()) WithdrawImageItem(name);
  return !PictureWrites.Busy();
}

void SettlePictureWrites() {
  FinishPictureWrites();
  CollectPictureWrites();
}
