#include "exchange/save_items.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/loop_state.h"
#include "app/texts.h"
#include "exchange/file_names.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/item_actions.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "ui/layer/controls.h"
#include "ui/layer/requesters.h"
#include "ui/main_window.h"

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

bool KnownFormat(int format) { return format >= 0 && format < 3; }

const char* Language(const char* english, const char* german) {
  return Texts.LanguageGerman ? german : english;
}

std::string PictureFile(const Item& item) {
  return WorkingPath(item.name + App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0]);
}

std::string StoredFile(const Item& item) {
  return item.kind == ImageItem ? PictureFile(item) : WorkingPath(item.name + ".txt");
}

bool IsRowChecked(int row) {
  return (GetRowState(Ui.ItemList, row) & RowChecked) != 0;
}

// Decodes the item's picture and writes it in the format; false when nothing was written.
bool WritePicture(const Item& item, const std::string& target, int format) {
  FinishPictureWrites();
  const int image = LoadImageFile(PictureFile(item));
  if (!image) return false;
  const bool written = SaveImageFile(image, target, kFormats[format].encoding, kJpegQuality) != 0;
  DisposeImage(image);
  return written;
}

}  // namespace

int SaveItemFile(const std::string& target, int isFullPath) {
  const Item* item = Store.Items.Current();
  if (!item) return 0;
  FinishPictureWrites();
  const std::string source = StoredFile(*item);
  const std::string destination = isFullPath ? target : target + FilePart(source);
  CopyFileA(source.c_str(), destination.c_str(), FALSE);
  return 0;
}

int SaveImageItemAs(const std::string& target, int format) {
  const Item* item = Store.Items.Current();
  if (!item || item->kind != ImageItem) return 0;
  std::string path = target;
  if (KnownFormat(format)) {
    path = WithExtension(target, kFormats[format].extension);
    WritePicture(*item, path, format);
  }
  Settings.LastImageSaveDir = FolderPart(path);
  return 0;
}

void SaveItemAs() {
  if (Loop.ClickedIndex < 0 || Loop.ClickedIndex >= Store.Items.Count()) return;
  MakeRowCurrent(Loop.ClickedIndex);
  const Item& item = *Store.Items.Current();
  if (item.kind == ImageItem) {
    const std::string path = AskSaveFile(Language("Save image", "Bild speichern"),
                                         Settings.LastImageSaveDir + item.name, kImagePatterns, 0);
    if (!path.empty()) SaveImageItemAs(path, ChosenPatternIndex());
    return;
  }
  const std::string chosen = AskSaveFile(Language("Save text", "Text speichern"),
                                         Settings.LastTextSaveDir + item.name, kTextPatterns, 0);
  if (chosen.empty()) return;
  const std::string path = WithExtension(chosen, "txt");
  // The folder is remembered whether or not the typed name already ended in txt.
  Settings.LastTextSaveDir = FolderPart(path);
  SaveItemFile(path, 1);
}

void SaveCheckedTexts() {
  const std::string folder =
      AskFolder(Language("Select target directory for text items", "Verzeichnis f\xFCr Texte bestimmen"),
                Settings.LastTextFolder);
  if (folder.empty()) return;
  Settings.LastTextFolder = folder;
  for (int32_t row = 0; row < Store.Items.Count(); ++row) {
    if (Store.Items.At(row).kind != TextItem || !IsRowChecked(row)) continue;
    MakeRowCurrent(row);
    SaveItemFile(folder, 0);
  }
}

void SaveCheckedImages(int32_t format) {
  const std::string folder =
      AskFolder(Language("Select target directory for image items", "Verzeichnis f\xFCr Bilder bestimmen"),
                Settings.LastImageFolder);
  if (folder.empty()) return;
  Settings.LastImageFolder = folder;
  int checkedImages = 0;
  for (int32_t row = 0; row < Store.Items.Count(); ++row) {
    if (Store.Items.At(row).kind == ImageItem && IsRowChecked(row)) ++checkedImages;
  }
  ProgressWindow progress(checkedImages);
  int done = 0;
  for (int32_t row = 0; row < Store.Items.Count(); ++row) {
    const Item& item = Store.Items.At(row);
    if (item.kind != ImageItem || !IsRowChecked(row)) continue;
    if (KnownFormat(format)) WritePicture(item, folder + item.name + "." + kFormats[format].extension, format);
    progress.Step(++done);
  }
}
