// Picture files in and out: the first bytes choose between the system's BMP loader, the registered
// decoders and the system's icon loader; saving goes through the exchange format to BMP, JPEG or
// PNG.
#include "exchange/image/images_win.h"

#include <algorithm>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_handle_win.h"

namespace {

// No PNG or JPEG the program can hold comes near this; larger files are not read into memory.
constexpr size_t MaxEncodedFileSize = size_t{1} << 30;

void EnsureCodecs() {
  // Start-up registers them; this keeps a caller that forgot from silently decoding nothing.
  if (Codecs.decoders.empty()) RegisterImageCodecs(Codecs);
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  size_t done = 0;
  bool written = true;
  while (written && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
    DWORD wrote = 0;
    written = WriteFile(file.Get(), bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
    done += wrote;
  }
  written = file.Close() && written;
  // A half-written picture would look like a damaged file later: leave none.
  if (!written) DeleteFileW(Wide(path).c_str());
  return written;
}

}  // namespace

int LoadImageFile(const std::string& path, RequiredSize required) {
  uint8_t start[BmpStartSize] = {};
  DWORD startSize = 0;
  LARGE_INTEGER fileSize{};
  FileHandle file = OpenFileToRead(path, FILE_SHARE_READ);
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &fileSize) ||
      !ReadFile(file.Get(), start, sizeof start, &startSize, nullptr) || startSize < 2) {
    return 0;
  }
  if (start[0] == 'B' && start[1] == 'M') {
    file.Close();
    // A damaged bitmap is not offered to the other decoders. Some loaders read past the end of a
    // truncated header, and the loader sizes its picture from the header, so that is checked first.
    if (!IsPlausibleBmpFile(start, startSize, static_cast<uint64_t>(fileSize.QuadPart), required)) return 0;
    HANDLE bitmap = LoadImageW(nullptr, Wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    return bitmap ? AdoptImageHandle(-1, bitmap, false) : 0;
  }
  EnsureCodecs();
  // An icon file starts with a zero word, which no decoder's signature does: a file a decoder
  // recognises is decoded from the handle already open, without asking the system's icon loader
  // (which opens and parses the file again; that cost counts at start-up, once per stored item).
  if (FindImageDecoder(Codecs, start, startSize)) {
    // A PNG's sides are in its first bytes: a picture refused by them is not read at all.
    if (CheckPngStart(start, startSize, required) != DecodeStatus::Ok) return 0;
    std::vector<uint8_t> bytes(start, start + startSize);
    if (ReadRestOfFile(file, bytes, MaxEncodedFileSize, fileSize.QuadPart) != FileRead::Ok) return 0;
    file.Close();
    PixelImage pixels;
    if (DecodeImage(Codecs, bytes.data(), bytes.size(), pixels, required) != DecodeStatus::Ok) return 0;
    return ImageFromPixels(-1, pixels);
  }
  file.Close();
  // An icon's directory cannot state the sides of any picture the program requires (a thumbnail),
  // and what the icon holds is not checked here: such a file is no icon for the caller.
  if (required.width != 0 || required.height != 0) return 0;
  if (HANDLE icon = LoadImageW(nullptr, Wide(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)) {
    return AdoptImageHandle(-1, icon, true);
  }
  return 0;
}

int SaveImageFile(int image, const std::string& path, ImageEncoding encoding, int quality) {
  if (!ImageExists(image) || path.empty()) return 0;
  EnsureCodecs();
  const ImageEncoder* encoder = FindImageEncoder(Codecs, encoding);
  PixelImage pixels;
  if (!encoder || !ReadImagePixels(image, pixels)) return 0;
  std::vector<uint8_t> file;
  if (!encoder->encode(pixels, quality, file)) return 0;
  return WriteWholeFile(path, file) ? 1 : 0;
}
