#include "store/collection_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <utility>

#include "core/app_state.h"
#include "core/file_bytes.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/item_rows_win.h"
#include "store/picture_writer_win.h"
#include "store/thumbnail_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"

namespace {

// Both settings of CompressImages keep the picture in a file named ".bmp" (a PNG inside when
// compressed).
constexpr char kPictureExtension[] = ".bmp";
// Thumbnails of appended items go into the image list this many at a time.
constexpr int kSheetCells = 50;

struct ListBinding {
  int control = 0;
  HWND handle = nullptr;
  HIMAGELIST thumbnails = nullptr;
};
ListBinding List;

struct Listeners {
  std::function<void()> rowsChanged;
  std::function<void()> itemsChanged;
  std::function<void()> folderEmptied;
};
Listeners Listen;

// Read by tests from other threads.
std::atomic<int> Holds{0};

void Notify(bool rowsChanged) {
  if (rowsChanged && Listen.rowsChanged) Listen.rowsChanged();
  if (Listen.itemsChanged) Listen.itemsChanged();
}

void ShowThumbnails() {
  if (List.handle) {
    SendMessageA(List.handle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(List.thumbnails));
  }
}

// The list lets go of the old image list before it is destroyed, and shows the new one.
void ReplaceThumbnails(HIMAGELIST fresh) {
  if (List.handle) SendMessageA(List.handle, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (List.thumbnails) ImageList_Destroy(List.thumbnails);
  List.thumbnails = fresh;
  ShowThumbnails();
}

void DeleteItemFiles(const std::string& name, int32_t kind) {
  CancelPictureWrite(name);
  // A name that could point outside the working folder never reaches DeleteFile.
  if (!IsSafeItemName(name)) return;
  DeleteFileA(NewItemFilePath(name, kind, ItemFile::Thumbnail).c_str());
  DeleteFileA(NewItemFilePath(name, kind, ItemFile::Content).c_str());
  for (ExtraKind extra : EveryExtraKind) {
    if (ExtraBelongsTo(extra, kind)) DeleteFileA(ItemExtraPath(name, extra).c_str());
  }
}

// Removes row `row` and its item without telling anyone; the caller does once it is done.
void RemoveQuietly(int32_t row) {
  if (row < 0 || row >= Collection.Items.Count()) return;
  const Item item = Collection.Items.At(row);
  ReleaseSlot(Collection.FreeSlots, RowSlot(List.handle, row));
  RemoveRow(List.control, row);
  DeleteItemFiles(item.name, item.kind);
  Collection.Items.SelectPosition(row);
  Collection.Items.DeleteCurrent();
  Collection.HighlightedIndex = -1;
}

int NewSlot(HBITMAP thumbnail) {
  const int32_t freeSlot = TakeFreeSlot(Collection.FreeSlots);
  if (freeSlot < 0) return ImageList_Add(List.thumbnails, thumbnail, nullptr);
  if (ImageList_Replace(List.thumbnails, freeSlot, thumbnail, nullptr)) return freeSlot;
  Collection.FreeSlots.push_front(freeSlot);
  return -1;
}

// Takes back the newest item, which could not be completed.
void Withdraw(const std::string& name, int32_t kind, int slot) {
  DeleteItemFiles(name, kind);
  Collection.Items.SelectPosition(0);
  Collection.Items.DeleteCurrent();
  ReleaseSlot(Collection.FreeSlots, slot);
}

// Puts record `index`'s thumbnail into cell `cell`: as `thumbnailOf` gives it, else from its file
// (a bitmap, an icon, a missing or damaged file: blank). False when no picture could be made.
bool PaintThumbnail(const ThumbnailPixels& thumbnailOf, ThumbnailSheet& sheet, int cell, size_t index,
                    const StoredItem& record) {
  PixelImage pixels;
  if (thumbnailOf && thumbnailOf(index, pixels) && sheet.Paint(cell, pixels)) return true;
  const int image = LoadThumbnailOrBlank(NewItemFilePath(record.name, record.kind, ItemFile::Thumbnail));
  const bool drawn = image && sheet.Draw(cell, ImageBitmap(image));
  if (image) DisposeImage(image);
  return drawn;
}

// Appends records first .. first + cells - 1; their thumbnails go in through the sheet with one
// add and take consecutive slots.
void AppendStrip(const std::vector<StoredItem>& records, const ThumbnailPixels& thumbnailOf, size_t first, int cells,
                 ThumbnailSheet& sheet) {
  std::vector<bool> drawn(static_cast<size_t>(cells));
  for (int cell = 0; cell < cells; ++cell) {
    const size_t index = first + static_cast<size_t>(cell);
    drawn[static_cast<size_t>(cell)] = PaintThumbnail(thumbnailOf, sheet, cell, index, records[index]);
  }
  const int firstSlot = sheet.AddTo(List.thumbnails);
  for (int cell = 0; cell < cells; ++cell) {
    int slot = firstSlot < 0 ? -1 : firstSlot + cell;
    // A cell without a picture still took its slot: that slot is free for the next capture.
    if (slot >= 0 && !drawn[static_cast<size_t>(cell)]) {
      ReleaseSlot(Collection.FreeSlots, slot);
      slot = -1;
    }
    const StoredItem& record = records[first + static_cast<size_t>(cell)];
    Collection.Items.Last();
    Collection.Items.Insert(Item{record.kind, 0, record.name});
    InsertItemRow(List.handle, Collection.Items.Count() - 1, slot, record.checked != 0);
  }
}

// An image list grown an add at a time copies all its pictures again and again: an empty one is
// made anew with room for every row. The list shows none meanwhile (see AppendItems).
void MakeRoomForThumbnails(size_t count) {
  if (ImageList_GetImageCount(List.thumbnails) != 0 || count > static_cast<size_t>(INT_MAX)) return;
  HIMAGELIST roomy = NewThumbImageList(static_cast<int>(count));
  if (!roomy) return;
  if (List.thumbnails) ImageList_Destroy(List.thumbnails);
  List.thumbnails = roomy;
}

// True when both paths name the same file.
bool SameFile(const std::string& a, const std::string& b) {
  char fullA[MAX_PATH] = {};
  char fullB[MAX_PATH] = {};
  const DWORD lengthA = GetFullPathNameA(a.c_str(), sizeof fullA, fullA, nullptr);
  const DWORD lengthB = GetFullPathNameA(b.c_str(), sizeof fullB, fullB, nullptr);
  if (lengthA == 0 || lengthA >= sizeof fullA || lengthB == 0 || lengthB >= sizeof fullB) return false;
  return lstrcmpiA(fullA, fullB) == 0;
}

}  // namespace

std::string NewItemFilePath(const std::string& name, int32_t kind, ItemFile file) {
  if (file == ItemFile::Thumbnail) return WorkingPath(name + ".clt");
  return WorkingPath(name + (kind == ImageItem ? kPictureExtension : ".txt"));
}

std::string ItemFilePath(const Item& item, ItemFile file) {
  if (file == ItemFile::Content && item.kind == ImageItem) FinishPictureWrites();
  return NewItemFilePath(item.name, item.kind, file);
}

std::string ItemExtraPath(const std::string& name, ExtraKind kind) {
  return WorkingPath(name + std::string(ExtraFileExtension(kind)));
}

bool ReadItemExtra(const Item& item, ExtraKind kind, std::vector<unsigned char>& bytes) {
  bytes.clear();
  if (!ExtraBelongsTo(kind, item.kind)) return false;
  return ReadWholeFile(ItemExtraPath(item.name, kind), bytes, MaxExtraBytes) == FileRead::Ok && !bytes.empty();
}

std::vector<ItemExtra> ReadItemExtras(const Item& item) {
  std::vector<ItemExtra> extras;
  for (ExtraKind kind : EveryExtraKind) {
    ItemExtra extra{kind, {}};
    if (ReadItemExtra(item, kind, extra.bytes)) extras.push_back(std::move(extra));
  }
  return extras;
}

void WriteItemExtras(const std::string& name, int32_t kind, const std::vector<ItemExtra>& extras) {
  for (const ItemExtra& extra : extras) {
    if (!ExtraBelongsTo(extra.kind, kind) || extra.bytes.empty() || extra.bytes.size() > MaxExtraBytes) continue;
    const std::string path = ItemExtraPath(name, extra.kind);
    if (!WriteFileReplacing(path, extra.bytes)) DeleteFileA(path.c_str());
  }
}

void AttachItemList(int listControl) {
  List.control = listControl;
  List.handle = ControlHandle(listControl);
  ReplaceThumbnails(NewThumbImageList());
}

void DetachItemList() {
  ReplaceThumbnails(nullptr);
  List = ListBinding{};
}

HIMAGELIST ThumbnailImageList() { return List.thumbnails; }

void DrawSelectionFrame(int row, COLORREF colour) {
  const int slot = RowSlot(List.handle, row);
  if (slot < 0) return;
  const int picture = NewImage(-1, ThumbWidth, ThumbHeight);
  HDC dc = picture ? BeginDrawing(picture) : nullptr;
  if (!dc) {
    DisposeImage(picture);
    return;
  }
  ImageList_Draw(List.thumbnails, slot, dc, 0, 0, ILD_NORMAL);
  SetDrawMode(DrawOutlined);
  // Two outlines make a frame two pixels wide round the left 60 x 60 square, corners left out.
  DrawBox(0, 1, 60, 58, colour);
  DrawBox(1, 0, 58, 60, colour);
  EndDrawing();
  ImageList_Replace(List.thumbnails, slot, ImageBitmap(picture), nullptr);
  DisposeImage(picture);
}

void OnRowsChanged(std::function<void()> listener) { Listen.rowsChanged = std::move(listener); }
void OnItemsChanged(std::function<void()> listener) { Listen.itemsChanged = std::move(listener); }
void OnWorkingFolderEmptied(std::function<void()> listener) { Listen.folderEmptied = std::move(listener); }
void NoteCheckMarkChanged() { Notify(false); }

bool AddNewItem(int32_t kind, const std::string& name, int thumbnail, bool checked,
                const WriteItemContent& writeContent, const std::vector<ItemExtra>& extras) {
  if (CollectionHeld()) return false;
  const int slot = NewSlot(ImageBitmap(thumbnail));
  if (slot < 0) return false;
  Collection.Items.Reset();
  Collection.Items.Insert(Item{kind, 0, name});
  const bool written =
      SaveImageFile(thumbnail, NewItemFilePath(name, kind, ItemFile::Thumbnail), ImageEncoding::Png) == 1 &&
      writeContent(NewItemFilePath(name, kind, ItemFile::Content));
  if (!written || InsertItemRow(List.handle, 0, slot, checked) != 0) {
    Withdraw(name, kind, slot);
    return false;
  }
  WriteItemExtras(name, kind, extras);
  TrimToLimit(Collection.Items, Settings.ItemLimit, [] { RemoveQuietly(Collection.Items.CurrentPosition()); });
  Notify(true);
  return true;
}

void AppendItems(const std::vector<StoredItem>& records, const ThumbnailPixels& thumbnailOf) {
  if (CollectionHeld() || records.empty()) return;
  // The list is not redrawn for every row: with drawing on, each insertion cost milliseconds. Nor
  // does it show an image list while the rows go in, which makes every insertion cheaper; it is
  // given the thumbnails at the end.
  SendMessageA(List.handle, WM_SETREDRAW, FALSE, 0);
  if (List.handle) SendMessageA(List.handle, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  MakeRoomForThumbnails(records.size());
  // One sheet for every full strip: a new bitmap each time would cost its fresh memory again.
  const int fullCells = static_cast<int>(std::min<size_t>(kSheetCells, records.size()));
  ThumbnailSheet sheet(fullCells);
  for (size_t first = 0; first < records.size(); first += kSheetCells) {
    const int cells = static_cast<int>(std::min<size_t>(kSheetCells, records.size() - first));
    if (cells == fullCells) {
      AppendStrip(records, thumbnailOf, first, cells, sheet);
    } else {
      ThumbnailSheet rest(cells);
      AppendStrip(records, thumbnailOf, first, cells, rest);
    }
  }
  Collection.Items.Reset();
  SendMessageA(List.handle, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(List.handle, nullptr, TRUE);
  ShowThumbnails();
  Notify(true);
  // Only with the thumbnails in place do the rows have their height, which sets how many fit.
  SendMessageA(List.handle, LVM_SCROLL, 0, 0);
}

void RemoveItem(int32_t row) {
  if (CollectionHeld() || row < 0 || row >= Collection.Items.Count()) return;
  RemoveQuietly(row);
  Notify(true);
}

void RemoveCheckedItems() {
  if (CollectionHeld()) return;
  bool removed = false;
  for (int32_t row = Collection.Items.Count() - 1; row >= 0; --row) {
    if (!IsItemChecked(row)) continue;
    RemoveQuietly(row);
    removed = true;
  }
  Collection.Items.Reset();
  if (removed) Notify(true);
}

void TrimItems(int32_t maxCount) {
  if (CollectionHeld()) return;
  const int32_t before = Collection.Items.Count();
  TrimToCount(Collection.Items, maxCount, [] { RemoveQuietly(Collection.Items.CurrentPosition()); });
  if (Collection.Items.Count() != before) Notify(true);
}

void EmptyWorkingFolder(const std::string& keepPath) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(WorkingPath("*.*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string path = WorkingPath(found.cFileName);
      if (!keepPath.empty() && SameFile(path, keepPath)) continue;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
  if (Listen.folderEmptied) Listen.folderEmptied();
}

void ResetCollection(const std::string& keepPath) {
  if (CollectionHeld()) return;
  DiscardPictureWrites();
  Capture.LastCapturedText.clear();
  Capture.LastPictureBlock = 0;
  Capture.LastOwnBitmap = nullptr;
  Capture.LastOwnText = nullptr;
  Collection.HighlightedIndex = -1;
  Collection.Items.Clear();
  Collection.FreeSlots.clear();
  ClearRows(List.control);
  ReplaceThumbnails(NewThumbImageList());
  EmptyWorkingFolder(keepPath);
  Notify(true);
}

bool IsItemChecked(int32_t row) { return (GetRowState(List.control, row) & RowChecked) != 0; }

std::vector<StoredItem> CollectionRecords() {
  std::vector<StoredItem> records;
  records.reserve(static_cast<size_t>(Collection.Items.Count()));
  for (int32_t row = 0; row < Collection.Items.Count(); ++row) {
    const Item& item = Collection.Items.At(row);
    records.push_back(StoredItem{item.kind, IsItemChecked(row) ? 1 : 0, item.name});
  }
  return records;
}

CollectionHold::CollectionHold() { ++Holds; }
CollectionHold::~CollectionHold() { --Holds; }
bool CollectionHeld() { return Holds > 0; }
