#include "exchange/save_items.h"

#include <windows.h>

#include <iterator>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "core/unicode_text.h"
#include "exchange/file_names.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "store/item_actions.h"
#include "ui/layer/requesters.h"

namespace {

constexpr char kImagePatterns[] = "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png";
constexpr char kTextPatterns[] = "Text (*.txt)|*.txt";
// The highest quality on the image services' scale.
constexpr int kJpegQuality = 10;

struct SaveFormat {
  ImageEncoding encoding;
  const char* extension;
};
constexpr SaveFormat kFormats[] = {{ImageEncoding::Bmp, "bmp"}, {ImageEncoding::Jpeg, "jpg"}, {ImageEncoding::Png, "png"}};

bool KnownFormat(int format) { return format >= 0 && format < static_cast<int>(std::size(kFormats)); }

const char* Language(const char* english, const char* german) {
  return Texts.LanguageGerman ? german : english;
}

// The checked items of one kind, in list order, as they are now; while a find is active only
// those it shows, so that nothing the user cannot see is saved.
std::vector<Item> CheckedItems(int32_t kind) {
  std::vector<Item> items;
  for (int32_t row = 0; row < ShownRowCount(); ++row) {
    const Item& item = *RowItem(row);
    if (item.kind == kind && item.checked) items.push_back(Item{item.kind, 0, item.name});
  }
  return items;
}

// Decodes the item's picture and writes it in the format; false when nothing was written. A PNG of
// a picture kept with its transparency is that original, transparency and all.
bool WritePicture(const Item& item, const std::string& target, int format) {
  std::vector<unsigned char> original;
  if (kFormats[format].encoding == ImageEncoding::Png && ReadItemExtra(item, ExtraKind::AlphaPicture, original)) {
    return WriteFileReplacing(target, original);
  }
  const int image = LoadImageFile(ItemFilePath(item, ItemFile::Content));
  if (!image) return false;
  const bool written = SaveImageFile(image, target, kFormats[format].encoding, kJpegQuality) != 0;
  DisposeImage(image);
  return written;
}

// The item's Unicode text, in UTF-8, when its ANSI text file cannot hold it in this system's
// code page; empty when the ANSI file says it all.
std::string TextBeyondAnsi(const Item& item, const std::string& ansiPath) {
  std::vector<unsigned char> unicode;
  if (item.kind != TextItem || !ReadItemExtra(item, ExtraKind::UnicodeText, unicode)) return {};
  std::string utf8(unicode.begin(), unicode.end());
  std::vector<unsigned char> ansi;
  ReadFileBytes(ansiPath, ansi);
  const std::wstring ansiText = AnsiToWide(std::string_view(reinterpret_cast<const char*>(ansi.data()), ansi.size()));
  return ansiText == Wide(utf8) ? std::string() : utf8;
}

// Copies the item's stored file to `target`: a whole path, or a folder ending in a backslash to
// which the stored file's name is appended. A text that the ANSI code page cannot hold is written
// as UTF-8 with a byte-order mark instead, which every editor reads as it was copied.
void CopyItemFile(const Item& item, const std::string& target, bool intoFolder) {
  const std::string source = ItemFilePath(item, ItemFile::Content);
  const std::string path = intoFolder ? target + FilePart(source) : target;
  const std::string unicode = TextBeyondAnsi(item, source);
  if (!unicode.empty()) {
    WriteFileReplacing(path, Utf8FileWithBom(unicode));
    return;
  }
  CopyFileW(Wide(source).c_str(), Wide(path).c_str(), FALSE);
}

}  // namespace

int SaveItemFile(const std::string& name, const std::string& target, int isFullPath) {
  const Item* item = FindItem(name);
  if (!item) return 0;
  CopyItemFile(*item, target, isFullPath == 0);
  return 0;
}

int SaveImageItemAs(const std::string& name, const std::string& target, int format) {
  const Item* item = FindItem(name);
  if (!item || item->kind != ImageItem) return 0;
  std::string path = target;
  if (KnownFormat(format)) {
    path = WithExtension(target, kFormats[format].extension);
    WritePicture(*item, path, format);
  }
  Settings.LastImageSaveDir = FolderPart(path);
  return 0;
}

void SaveItemAs(const std::string& name) {
  const Item* item = FindItem(name);
  if (!item) return;
  // The requester pumps messages: a capture meanwhile moves the rows, so only the name is kept.
  if (item->kind == ImageItem) {
    const std::string path = AskSaveFile(Language("Save image", "Bild speichern"),
                                         Settings.LastImageSaveDir + name, kImagePatterns, 0);
    if (!path.empty()) SaveImageItemAs(name, path, ChosenPatternIndex());
    return;
  }
  const std::string chosen = AskSaveFile(Language("Save text", "Text speichern"),
                                         Settings.LastTextSaveDir + name, kTextPatterns, 0);
  if (chosen.empty()) return;
  const std::string path = WithExtension(chosen, "txt");
  // The folder is remembered whether or not the typed name already ended in txt.
  Settings.LastTextSaveDir = FolderPart(path);
  SaveItemFile(name, path, 1);
}

void SaveCheckedTexts() {
  const std::string folder =
      AskFolder(Text(23), Settings.LastTextFolder);
  if (folder.empty()) return;
  Settings.LastTextFolder = folder;
  const CollectionHold hold;
  for (const Item& item : CheckedItems(TextItem)) CopyItemFile(item, folder, true);
}

void SaveCheckedImages(ImageEncoding encoding) {
  int format = 0;
  while (KnownFormat(format) && kFormats[format].encoding != encoding) ++format;
  const std::string folder =
      AskFolder(Text(22), Settings.LastImageFolder);
  if (folder.empty()) return;
  Settings.LastImageFolder = folder;
  // What is saved is what was checked when the user asked: captures that come meanwhile wait.
  const CollectionHold hold;
  const std::vector<Item> items = CheckedItems(ImageItem);
  ProgressWindow progress(static_cast<int>(items.size()));
  int done = 0;
  for (const Item& item : items) {
    if (KnownFormat(format)) WritePicture(item, folder + item.name + "." + kFormats[format].extension, format);
    progress.Step(++done);
  }
}
