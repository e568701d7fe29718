#include "store/collection_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <memory>
#include <optional>
#include <unordered_set>
#include <utility>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/item_find_win.h"
#include "store/item_rows_win.h"
#include "store/picture_writer_win.h"
#include "store/row_marks_win.h"
#include "store/thumbnail_prefetch.h"
#include "store/thumbnail_reader.h"
#include "store/thumbnail_slots.h"
#include "store/thumbnail_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"

namespace {

// Both settings of CompressImages keep the picture in a file named ".bmp" (a PNG inside when
// compressed).
constexpr char kPictureExtension[] = ".bmp";
// Thumbnails held at once: several pages of the tallest list a screen shows, whatever the number
// of items. A row drawn takes a slot; the one drawn longest ago gives its slot up.
constexpr int32_t kThumbnailSlots = 96;
// Decoded thumbnails waiting for their rows: a page above and a page below the one on screen,
// however tall the window.
constexpr size_t kPrefetchedThumbnails = 80;

struct ListBinding {
  int control = 0;
  HWND handle = nullptr;
  HIMAGELIST thumbnails = nullptr;
  ThumbnailSlots slots{kThumbnailSlots};
  std::unique_ptr<ThumbnailPrefetch> prefetch;
  int32_t prefetchedTop = -1;  // the top row the pages around were last asked for
};
ListBinding List;
// The file buffer and decoder state for the thumbnails read on the window's thread.
ThumbnailScratch ReadScratch;

// What the active find looks for (folded; empty while none is), so that new items join the rows
// when they match.
std::u16string FindQuery;

struct Listeners {
  std::function<void()> rowsChanged;
  std::function<void()> itemsChanged;
  std::function<void()> folderEmptied;
};
Listeners Listen;

// Read by tests from other threads.
std::atomic<int> Holds{0};

int32_t RowCountNow() { return Collection.Rows.Count(Collection.Items.Count()); }
int32_t PositionOfRow(int32_t row) { return Collection.Rows.ItemAt(row, Collection.Items.Count()); }
int32_t RowOfPosition(int32_t position) { return Collection.Rows.RowOf(position, Collection.Items.Count()); }

bool ShownByFind(const Item& item) { return FindQuery.empty() || ItemMatchesFind(item, FindQuery); }

void Notify(bool rowsChanged) {
  if (rowsChanged && Listen.rowsChanged) Listen.rowsChanged();
  if (Listen.itemsChanged) Listen.itemsChanged();
}

void ShowThumbnails() {
  if (List.handle) {
    SendMessageA(List.handle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(List.thumbnails));
  }
}

// The list lets go of the old image list before it is destroyed, and shows the new one, whose
// slots all hold blank thumbnails until rows are drawn.
void ReplaceThumbnails(HIMAGELIST fresh) {
  if (List.handle) SendMessageA(List.handle, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (List.thumbnails) ImageList_Destroy(List.thumbnails);
  List.thumbnails = fresh;
  List.slots.Clear();
  if (fresh) {
    ImageList_SetImageCount(fresh, static_cast<UINT>(List.slots.Capacity()));
    const int blank = LoadThumbnailOrBlank("");
    for (int32_t slot = 0; slot < List.slots.Capacity() && blank; ++slot) {
      ImageList_Replace(fresh, slot, ImageBitmap(blank), nullptr);
    }
    if (blank) DisposeImage(blank);
  }
  ShowThumbnails();
}

// The list shows as many rows as the view has; it asks for each row as it draws it.
void ShowRowCount() {
  List.prefetchedTop = -1;  // the rows around the page may show other items now
  if (List.handle) SendMessageA(List.handle, LVM_SETITEMCOUNT, static_cast<WPARAM>(RowCountNow()), LVSICF_NOSCROLL);
}

// The rows from `row` on show other items now (one came or went there): the list redraws those
// of them on screen. (Asking for every row costs the list a rectangle per row, far too many in a
// long history.)
void RedrawFrom(int32_t row) {
  if (!List.handle || RowCountNow() == 0) return;
  const int32_t top = static_cast<int32_t>(SendMessageA(List.handle, LVM_GETTOPINDEX, 0, 0));
  const int32_t perPage = static_cast<int32_t>(SendMessageA(List.handle, LVM_GETCOUNTPERPAGE, 0, 0));
  const int32_t first = std::max({row, top, 0});
  // One row more than a page: the last one may show in part.
  const int32_t last = std::min(RowCountNow() - 1, top + perPage + 1);
  if (first > last) return;
  SendMessageA(List.handle, LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

int SelectedRow() {
  return List.handle ? static_cast<int>(SendMessageA(List.handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                     : -1;
}

void SetRowSelected(int row, bool selected) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
  SendMessageA(List.handle, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

// The list keeps its selection by row number, not by item: when a row comes or goes above the
// selected one, the selection moves with its item; a removed row loses it.
void SelectionAfterInsertAtTop() {
  const int selected = SelectedRow();
  if (selected < 0) return;
  SetRowSelected(selected, false);
  SetRowSelected(selected + 1, true);
}

void SelectionAfterRemoval(int32_t row) {
  const int selected = SelectedRow();
  if (row < 0 || selected < row) return;
  SetRowSelected(selected, false);
  if (selected > row) SetRowSelected(selected - 1, true);
}

// The item's thumbnail as an image: decoded ahead by a helper when one did, else read from its
// file here (blank when it cannot be read).
int ThumbnailImage(const Item& item) {
  const std::string path = NewItemFilePath(item.name, item.kind, ItemFile::Thumbnail);
  PixelImage decoded;
  // The quick decoder first (the files are the program's own PNGs), the general loaders for the rest.
  if ((List.prefetch && List.prefetch->Take(item.name, decoded)) ||
      ReadThumbnailFile(path, ThumbWidth, ThumbHeight, decoded, ReadScratch)) {
    if (const int image = ImageFromPixels(-1, decoded)) return image;
  }
  return LoadThumbnailOrBlank(path);
}

// Asks the helpers for the thumbnails of the page below the one on screen and the page above
// it (nearest rows first), that no slot holds yet. Once per top row: drawing a page asks once.
void PrefetchAround() {
  if (!List.prefetch || !List.handle) return;
  const int32_t top = static_cast<int32_t>(SendMessageA(List.handle, LVM_GETTOPINDEX, 0, 0));
  if (top == List.prefetchedTop) return;
  List.prefetchedTop = top;
  const int32_t perPage = std::max<int32_t>(1, static_cast<int32_t>(SendMessageA(List.handle, LVM_GETCOUNTPERPAGE, 0, 0)));
  std::vector<int32_t> rows;
  for (int32_t row = top + perPage; row <= top + 2 * perPage + 1; ++row) rows.push_back(row);
  for (int32_t row = top - 1; row >= top - perPage - 1; --row) rows.push_back(row);
  std::vector<ThumbnailPrefetch::Wanted> wanted;
  for (int32_t row : rows) {
    const int32_t position = PositionOfRow(row);
    if (position < 0) continue;
    const Item& item = Collection.Items.At(position);
    if (!List.slots.Holds(item.name)) {
      wanted.push_back({item.name, NewItemFilePath(item.name, item.kind, ItemFile::Thumbnail)});
    }
  }
  List.prefetch->Want(std::move(wanted));
}

// Puts the item's thumbnail into a slot, with the selection frame when its row has it. The slot,
// -1 when no picture could be made.
int32_t LoadThumbnail(int32_t row) {
  const Item& item = Collection.Items.At(PositionOfRow(row));
  const int32_t slot = List.slots.Assign(item.name);
  const int image = ThumbnailImage(item);
  const bool placed = image && ImageList_Replace(List.thumbnails, slot, ImageBitmap(image), nullptr);
  if (image) DisposeImage(image);
  if (!placed) {
    List.slots.Forget(item.name);
    return -1;
  }
  if (row == Collection.HighlightedIndex) DrawSelectionFrame(row, SelectionColour);
  return slot;
}

// While many items go at once: the extra files that exist, from one look through the folder. An
// extra that is not there would otherwise be searched for in a folder of thousands of files for
// every item (a missing file is looked for under every spelling of its name).
std::optional<std::unordered_set<std::string>> ExistingExtras;

// How long a long piece of work goes on before the window is let answer.
constexpr DWORD kStepMs = 40;

// The extensions are ASCII: the bytes are compared in either letter case.
bool IsExtraFileName(std::string_view file) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const auto sameLetter = [&](char a, char b) { return lower(a) == lower(b); };
  for (ExtraKind extra : EveryExtraKind) {
    const std::string_view extension = ExtraFileExtension(extra);
    if (file.size() > extension.size() &&
        std::equal(extension.begin(), extension.end(), file.end() - static_cast<long>(extension.size()), sameLetter)) {
      return true;
    }
  }
  return false;
}

class ManyRemovals {
 public:
  // One look through the folder for every kind of extra (a folder of tens of thousands of files
  // takes a while to list under Wine): `between` lets the window answer meanwhile.
  explicit ManyRemovals(const std::function<void()>& between = {}) {
    ExistingExtras.emplace();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(WorkingPath("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    DWORD stepStart = GetTickCount();
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string name = Utf8(found.cFileName);
      if (IsExtraFileName(name)) ExistingExtras->insert(std::move(name));
      if (between && GetTickCount() - stepStart >= kStepMs) {
        between();
        stepStart = GetTickCount();
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  ~ManyRemovals() { ExistingExtras.reset(); }
  ManyRemovals(const ManyRemovals&) = delete;
  ManyRemovals& operator=(const ManyRemovals&) = delete;
};

void DeleteItemFiles(const std::string& name, int32_t kind) {
  CancelPictureWrite(name);
  // A name that could point outside the working folder never reaches DeleteFile.
  if (!IsSafeItemName(name)) return;
  DeleteFileW(Wide(NewItemFilePath(name, kind, ItemFile::Thumbnail)).c_str());
  DeleteFileW(Wide(NewItemFilePath(name, kind, ItemFile::Content)).c_str());
  for (ExtraKind extra : EveryExtraKind) {
    if (!ExtraBelongsTo(extra, kind)) continue;
    if (ExistingExtras && !ExistingExtras->count(name + std::string(ExtraFileExtension(extra)))) continue;
    DeleteFileW(Wide(ItemExtraPath(name, extra)).c_str());
  }
}

// Removes the item at `position` with its row, if it has one, without telling anyone; the caller
// does once it is done.
void RemoveQuietly(int32_t position) {
  if (position < 0 || position >= Collection.Items.Count()) return;
  const Item item = Collection.Items.At(position);
  List.slots.Forget(item.name);
  if (List.prefetch) List.prefetch->Forget(item.name);
  ForgetFindText(item.name);
  DeleteItemFiles(item.name, item.kind);
  SelectionAfterRemoval(RowOfPosition(position));
  Collection.Rows.Removed(position);
  Collection.Items.SelectPosition(position);
  Collection.Items.DeleteCurrent();
  Collection.HighlightedIndex = -1;
}

// Takes back the newest item, which could not be completed.
void Withdraw(const std::string& name, int32_t kind) {
  DeleteItemFiles(name, kind);
  List.slots.Forget(name);
  ForgetFindText(name);
  Collection.Items.SelectPosition(0);
  Collection.Items.DeleteCurrent();
}

// True when both paths name the same file.
bool SameFile(const std::string& a, const std::string& b) {
  wchar_t fullA[MAX_PATH] = {};
  wchar_t fullB[MAX_PATH] = {};
  const DWORD lengthA = GetFullPathNameW(Wide(a).c_str(), MAX_PATH, fullA, nullptr);
  const DWORD lengthB = GetFullPathNameW(Wide(b).c_str(), MAX_PATH, fullB, nullptr);
  if (lengthA == 0 || lengthA >= MAX_PATH || lengthB == 0 || lengthB >= MAX_PATH) return false;
  return lstrcmpiW(fullA, fullB) == 0;
}

// AppendItems without the check for a hold and without telling anyone.
// `pinned` tells which of them the user pinned.
void AppendQuietly(const std::vector<StoredItem>& records, const std::function<bool(const std::string&)>& pinned) {
  Collection.Items.Last();
  for (const StoredItem& record : records) {
    Item added{record.kind, 0, record.name, record.checked != 0};
    added.pinned = pinned(record.name);
    const Item& item = Collection.Items.Insert(std::move(added));
    Collection.Rows.Inserted(Collection.Items.CurrentPosition(), ShownByFind(item));
  }
  Collection.Items.Reset();
  ShowRowCount();
  RedrawFrom(0);
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

std::unordered_set<std::string> WorkingFileNames(const std::string& pattern) {
  std::unordered_set<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(WorkingPath(pattern)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(Utf8(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
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
    if (!WriteFileReplacing(path, extra.bytes)) DeleteFileW(Wide(path).c_str());
  }
}

void AttachItemList(int listControl) {
  List.control = listControl;
  List.handle = ControlHandle(listControl);
  // The check marks are the items': the list asks for them as it draws a row.
  if (List.handle) SendMessageA(List.handle, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  SetListOwner(listControl,
               ListOwner{DescribeRow, [](int row, UINT oldState, UINT newState) { NoteRowStateChange(row, oldState, newState); },
                         [](int row) { SetItemChecked(row, !IsItemChecked(row)); },
                         [](int row) {
                           const Item* item = RowItem(row);
                           return item && (row < NumberedRows || item->pinned);
                         },
                         [](int row, HDC dc, const RECT& picture) {
                           if (const Item* item = RowItem(row)) DrawRowMarks(dc, picture, row, item->pinned);
                         }});
  ReplaceThumbnails(NewThumbImageList(kThumbnailSlots));
  List.prefetch = std::make_unique<ThumbnailPrefetch>(ThumbWidth, ThumbHeight, kPrefetchedThumbnails);
  List.prefetchedTop = -1;
  ShowRowCount();
}

void DetachItemList() {
  ReplaceThumbnails(nullptr);
  List = ListBinding{};
}

void StopCollectionHelpers() {
  List.prefetch.reset();
  StopFindReader();
}

HIMAGELIST ThumbnailImageList() { return List.thumbnails; }

void DrawSelectionFrame(int row, COLORREF colour) {
  const Item* item = RowItem(row);
  if (!item) return;
  // A row not drawn lately has no slot: its frame is drawn when it is.
  const int32_t slot = List.slots.Find(item->name);
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

int RowThumbnailSlot(int32_t row) {
  const Item* item = RowItem(row);
  if (!item) return -1;
  const int32_t slot = List.slots.Find(item->name);
  if (slot >= 0) return slot;
  // A row drawn for the first time: the list has moved, and the pages around it are wanted next.
  const int32_t loaded = LoadThumbnail(row);
  PrefetchAround();
  return loaded;
}

void DescribeRow(LVITEMA& row) {
  const Item* item = RowItem(row.iItem);
  if (!item) return;
  if (row.mask & LVIF_IMAGE) row.iImage = RowThumbnailSlot(row.iItem);
  if (row.mask & LVIF_STATE) {
    row.state = (row.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(item->checked ? 2 : 1);
    row.stateMask |= LVIS_STATEIMAGEMASK;
  }
  if ((row.mask & LVIF_TEXT) && row.pszText && row.cchTextMax > 0) row.pszText[0] = '\0';
}

int32_t ShownRowCount() { return RowCountNow(); }

Item* RowItem(int32_t row) {
  const int32_t position = PositionOfRow(row);
  return position < 0 ? nullptr : &Collection.Items.At(position);
}

int32_t ItemPositionOfRow(int32_t row) { return PositionOfRow(row); }

void ShowMatchingRows(const std::u16string& query) {
  FindQuery = FoldForFind(query);
  const bool filtered = !FindQuery.empty();
  std::vector<int32_t> shown;
  if (filtered) {
    for (int32_t position = 0; position < Collection.Items.Count(); ++position) {
      if (ItemMatchesFind(Collection.Items.At(position), FindQuery)) shown.push_back(position);
    }
  }
  // A letter more that leaves the same rows (the usual case as a word is typed on) changes nothing
  // on the screen.
  if (Collection.Rows.Filtered() == filtered && (!filtered || Collection.Rows.Shown() == shown)) return;

  const int32_t selectedItem = PositionOfRow(SelectedRow());
  // The list draws once, after the count, the selection and the scroll position have all changed.
  if (List.handle) SendMessageA(List.handle, WM_SETREDRAW, FALSE, 0);
  // The frame is drawn on the selected item's thumbnail; the caller draws it again for the row
  // selected afterwards.
  if (Collection.HighlightedIndex >= 0) DrawSelectionFrame(Collection.HighlightedIndex, BackgroundColour);
  Collection.HighlightedIndex = -1;
  if (List.handle && SelectedRow() >= 0) SetRowSelected(SelectedRow(), false);
  if (filtered) {
    Collection.Rows.ShowOnly(std::move(shown));
  } else {
    Collection.Rows.ShowAll();
  }
  ShowRowCount();
  // The item selected before keeps its selection when it is shown; else the first row takes it.
  int32_t row = RowOfPosition(selectedItem);
  if (row < 0 && filtered && RowCountNow() > 0) row = 0;
  if (List.handle && row >= 0) {
    SetRowSelected(row, true);
    SendMessageA(List.handle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
  if (List.handle) {
    SendMessageA(List.handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(List.handle, nullptr, FALSE);
  }
  if (Listen.rowsChanged) Listen.rowsChanged();
}

void OnRowsChanged(std::function<void()> listener) { Listen.rowsChanged = std::move(listener); }
void OnItemsChanged(std::function<void()> listener) { Listen.itemsChanged = std::move(listener); }
void OnWorkingFolderEmptied(std::function<void()> listener) { Listen.folderEmptied = std::move(listener); }

void NoteRowStateChange(int32_t row, UINT oldState, UINT newState) {
  if (!((oldState ^ newState) & LVIS_STATEIMAGEMASK) || !(newState & LVIS_STATEIMAGEMASK)) return;
  const bool checked = (newState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  if (row < 0) {
    // Every row at once (while a find is active, the items it shows).
    for (int32_t each = 0; each < RowCountNow(); ++each) Collection.Items.At(PositionOfRow(each)).checked = checked;
    RedrawFrom(0);
    Notify(false);
  } else {
    SetItemChecked(row, checked);
  }
}

bool AddNewItem(int32_t kind, const std::string& name, int thumbnail, bool checked,
                const WriteItemContent& writeContent, const std::vector<ItemExtra>& extras) {
  if (CollectionHeld()) return false;
  const int32_t slot = List.slots.Assign(name);
  if (!ImageList_Replace(List.thumbnails, slot, ImageBitmap(thumbnail), nullptr)) {
    List.slots.Forget(name);
    return false;
  }
  Collection.Items.Reset();
  Collection.Items.Insert(Item{kind, 0, name, checked});
  const bool written =
      SaveImageFile(thumbnail, NewItemFilePath(name, kind, ItemFile::Thumbnail), ImageEncoding::Png) == 1 &&
      writeContent(NewItemFilePath(name, kind, ItemFile::Content));
  if (!written) {
    Withdraw(name, kind);
    return false;
  }
  WriteItemExtras(name, kind, extras);
  // While a find is active, the new item has a row when it matches.
  if (Collection.Rows.Inserted(0, ShownByFind(Collection.Items.At(0))) == 0) {
    if (Collection.HighlightedIndex >= 0) ++Collection.HighlightedIndex;
    ShowRowCount();
    SelectionAfterInsertAtTop();
  }
  TrimToLimit(Collection.Items, Settings.ItemLimit, [] { RemoveQuietly(Collection.Items.CurrentPosition()); });
  ShowRowCount();
  RedrawFrom(0);
  Notify(true);
  return true;
}

void AppendItems(const std::vector<StoredItem>& records) {
  if (CollectionHeld() || records.empty()) return;
  // Which of them are pinned, from one look through the folder.
  const std::string pin(ExtraFileExtension(ExtraKind::Pin));
  const std::unordered_set<std::string> pins = WorkingFileNames("*" + pin);
  AppendQuietly(records, [&](const std::string& name) { return !pins.empty() && pins.count(name + pin) > 0; });
  Notify(true);
}

void RemoveItem(const std::string& name) {
  const int32_t position = Collection.Items.PositionOf(name);
  if (CollectionHeld() || position < 0) return;
  const int32_t row = RowOfPosition(position);
  RemoveQuietly(position);
  ShowRowCount();
  RedrawFrom(std::max(row, 0));
  Notify(true);
}

std::string RowItemName(int32_t row) {
  const Item* item = RowItem(row);
  return item ? item->name : std::string();
}

Item* FindItem(const std::string& name) {
  const int32_t position = Collection.Items.PositionOf(name);
  return position < 0 ? nullptr : &Collection.Items.At(position);
}

int32_t RowOfItem(const std::string& name) {
  const int32_t position = Collection.Items.PositionOf(name);
  return position < 0 ? -1 : RowOfPosition(position);
}

namespace {

// Removes the items at these positions (from the highest down, so that each still holds when its
// turn comes), in steps between which `progress` lets the window answer.
void RemoveInSteps(const std::vector<int32_t>& positionsDescending, const RemovalProgress& progress) {
  if (positionsDescending.empty()) return;
  const CollectionHold hold;
  const auto total = static_cast<int32_t>(positionsDescending.size());
  const ManyRemovals many(progress ? std::function<void()>([&] { progress(0, total); }) : std::function<void()>());
  DWORD stepStart = GetTickCount();
  for (int32_t done = 0; done < total;) {
    RemoveQuietly(positionsDescending[static_cast<size_t>(done)]);
    ++done;
    if (progress && done < total && GetTickCount() - stepStart >= kStepMs) {
      // The rows the list may draw meanwhile are the items as they are now.
      ShowRowCount();
      progress(done, total);
      stepStart = GetTickCount();
    }
  }
  Collection.Items.Reset();
  ShowRowCount();
  RedrawFrom(0);
  Notify(true);
}

}  // namespace

void RemoveCheckedItems(const RemovalProgress& progress) {
  if (CollectionHeld()) return;
  // Only rows shown: while a find is active nothing the user cannot see goes.
  std::vector<int32_t> positions;
  // A pinned item stays until the user deletes it by itself.
  for (int32_t row = RowCountNow() - 1; row >= 0; --row) {
    if (IsItemChecked(row) && !RowItem(row)->pinned) positions.push_back(PositionOfRow(row));
  }
  RemoveInSteps(positions, progress);
}

void TrimItems(int32_t maxCount, const RemovalProgress& progress) {
  if (CollectionHeld()) return;
  // The oldest unpinned items, until maxCount of those are left; pinned items are not counted.
  std::vector<int32_t> positions;
  int32_t unpinned = UnpinnedCount(Collection.Items);
  for (int32_t position = Collection.Items.Count() - 1; position >= 0 && unpinned > std::max(maxCount, 0); --position) {
    if (Collection.Items.At(position).pinned) continue;
    positions.push_back(position);
    --unpinned;
  }
  RemoveInSteps(positions, progress);
}

void EmptyWorkingFolder(const std::string& keepPath, const std::function<void()>& between) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(WorkingPath("*.*")).c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (between) between();
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string path = WorkingPath(Utf8(found.cFileName));
      if (!keepPath.empty() && SameFile(path, keepPath)) continue;
      const std::wstring wide = Wide(path);
      SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(wide.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  CreateDirectoryW(Wide(WorkingDirectory()).c_str(), nullptr);
  if (Listen.folderEmptied) Listen.folderEmptied();
}

namespace {

// ResetCollection without the check for a hold and without telling anyone.
void ResetQuietly(const std::string& keepPath, const std::function<void()>& between) {
  DiscardPictureWrites();
  Capture.LastCapturedText.clear();
  Capture.LastOwnBitmap = nullptr;
  Capture.LastOwnText = nullptr;
  Collection.HighlightedIndex = -1;
  Collection.Items.Clear();
  if (Collection.Rows.Filtered()) Collection.Rows.ShowOnly({});
  ForgetEveryFindText();
  ShowRowCount();
  ReplaceThumbnails(NewThumbImageList(kThumbnailSlots));
  if (List.prefetch) List.prefetch->Clear();
  List.prefetchedTop = -1;
  EmptyWorkingFolder(keepPath, between);
}

// Moves a staged item's files into the working folder. False when its own file did not arrive
// (the item is left out); a thumbnail or an extra that did not only costs the item that file.
bool MoveStagedFiles(const StagedItem& staged) {
  const StoredItem& item = staged.record;
  const auto move = [](const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  };
  if (!move(StagedItemFilePath(item.name, item.kind, ItemFile::Content),
            NewItemFilePath(item.name, item.kind, ItemFile::Content))) {
    return false;
  }
  move(StagedItemFilePath(item.name, item.kind, ItemFile::Thumbnail),
       NewItemFilePath(item.name, item.kind, ItemFile::Thumbnail));
  for (ExtraKind extra : EveryExtraKind) {
    if (staged.extras & StagedExtraBit(extra)) move(StagedItemExtraPath(item.name, extra), ItemExtraPath(item.name, extra));
  }
  return true;
}

}  // namespace

void ResetCollection(const std::string& keepPath) {
  if (CollectionHeld()) return;
  ResetQuietly(keepPath, {});
  Notify(true);
}

bool ReplaceWithStagedItems(const std::vector<StagedItem>& staged, const std::string& keepPath,
                            const RemovalProgress& progress) {
  if (CollectionHeld()) return false;
  const CollectionHold hold;
  const auto total = static_cast<int32_t>(staged.size());
  int32_t done = 0;
  DWORD stepStart = GetTickCount();
  const auto between = [&] {
    if (!progress || GetTickCount() - stepStart < kStepMs) return;
    progress(done, total);
    stepStart = GetTickCount();
  };
  std::vector<StoredItem> records;
  std::unordered_set<std::string> pins;
  records.reserve(staged.size());
  for (const StagedItem& item : staged) {
    records.push_back(item.record);
    if (item.extras & StagedExtraBit(ExtraKind::Pin)) pins.insert(item.record.name);
  }
  // The staged items.dat says the board is staged whole: a start after a cut from here on
  // finishes the import (FinishOrRemoveImportStaging) rather than losing both collections.
  SaveItemsFile(StagedItemsFilePath(), records);
  ResetQuietly(keepPath, between);
  // The items go in before their files: a session that ends meanwhile stores them, and the next
  // start moves the files that are still staged.
  AppendQuietly(records, [&](const std::string& name) { return pins.count(name) > 0; });
  std::vector<std::string> missing;
  for (const StagedItem& item : staged) {
    if (!MoveStagedFiles(item)) missing.push_back(item.record.name);
    ++done;
    between();
  }
  for (const std::string& name : missing) RemoveQuietly(Collection.Items.PositionOf(name));
  // Rows drawn while the files moved showed blank thumbnails, and a find could not read the texts.
  if (Collection.Rows.Filtered()) {
    std::vector<int32_t> shown;
    for (int32_t position = 0; position < Collection.Items.Count(); ++position) {
      if (ShownByFind(Collection.Items.At(position))) shown.push_back(position);
    }
    Collection.Rows.ShowOnly(std::move(shown));
  }
  ReplaceThumbnails(NewThumbImageList(kThumbnailSlots));
  if (List.prefetch) List.prefetch->Clear();
  List.prefetchedTop = -1;
  Collection.Items.Reset();
  ShowRowCount();
  RedrawFrom(0);
  Notify(true);
  return true;
}

bool IsItemChecked(int32_t row) {
  const Item* item = RowItem(row);
  return item && item->checked;
}

void SetItemChecked(int32_t row, bool checked) {
  Item* item = RowItem(row);
  if (!item || item->checked == checked) return;
  item->checked = checked;
  if (List.handle) SendMessageA(List.handle, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
  Notify(false);
}

bool SetItemPinned(const std::string& name, bool pinned) {
  Item* item = FindItem(name);
  if (!item || !IsSafeItemName(name)) return false;
  if (item->pinned == pinned) return true;
  const std::string path = ItemExtraPath(name, ExtraKind::Pin);
  if (pinned) {
    if (!WriteFileReplacing(path, std::vector<unsigned char>(PinExtraBytes.data(), PinExtraBytes.data() + PinExtraBytes.size()))) return false;
  } else if (!DeleteFileW(Wide(path).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  item->pinned = pinned;
  const int32_t row = RowOfItem(name);
  if (List.handle && row >= 0) SendMessageA(List.handle, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
  Notify(false);
  return true;
}

std::string ItemSourceProgram(const Item& item) {
  std::vector<unsigned char> bytes;
  if (!ReadItemExtra(item, ExtraKind::SourceProgram, bytes)) return {};
  return std::string(bytes.begin(), bytes.end());
}

std::vector<StoredItem> CollectionRecords() {
  std::vector<StoredItem> records;
  records.reserve(static_cast<size_t>(Collection.Items.Count()));
  for (int32_t row = 0; row < Collection.Items.Count(); ++row) {
    const Item& item = Collection.Items.At(row);
    records.push_back(StoredItem{item.kind, item.checked ? 1 : 0, item.name});
  }
  return records;
}

CollectionHold::CollectionHold() { ++Holds; }
CollectionHold::~CollectionHold() { --Holds; }
bool CollectionHeld() { return Holds > 0; }
