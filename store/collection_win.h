// The collection: the one owner of the items, the list rows that show them, their thumbnail slots
// and their files. Row i of the list shows item i (Collection.Items.At(i)) with its check mark, or
// while a find is active the i-th item that matches it (Collection.Rows maps the two); the
// list holds no rows of its own but asks for each as it draws it, and the thumbnails of the rows
// drawn lately sit in a bounded image list. An item's files are NAME.clt and NAME.txt or NAME.bmp
// in the working folder. Every add, every removal and every path to an item's file goes through
// here, so that this holds after each of them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "exchange/image/pixel_image.h"
#include "store/collection.h"
#include "store/item_extras.h"
#include "store/items_file.h"

// The files of an item: its thumbnail (NAME.clt) and what it holds (NAME.txt or NAME.bmp).
enum class ItemFile { Thumbnail, Content };

// The path of one of an item's files, for reading, copying or deleting it: a picture still being
// written in the background is waited for first.
std::string ItemFilePath(const Item& item, ItemFile file);
// The path of one of the files of an item being made, which nothing waits for.
std::string NewItemFilePath(const std::string& name, int32_t kind, ItemFile file);

// --- Extra files: what an item keeps beyond them (see item_extras.h) -----------------------------

// The names of the working folder's files that match the pattern ("*.utf"), from one look
// through it: cheaper than asking for many files one by one, some of which are not there.
std::unordered_set<std::string> WorkingFileNames(const std::string& pattern);
// The path of the item's extra file of that kind, which exists only when the item keeps one.
std::string ItemExtraPath(const std::string& name, ExtraKind kind);
// The bytes of the item's extra of that kind; false when it has none (or it cannot be read).
bool ReadItemExtra(const Item& item, ExtraKind kind, std::vector<unsigned char>& bytes);
// Every extra the item keeps, in kind order.
std::vector<ItemExtra> ReadItemExtras(const Item& item);
// Writes the extras of an item being made. One that cannot be written, or that does not belong to
// an item of that kind, is left out: the item is complete without it.
void WriteItemExtras(const std::string& name, int32_t kind, const std::vector<ItemExtra>& extras);

// --- The list that shows the collection ---------------------------------------------------------

// The list control that shows the collection (the main window gives it when it is built; an
// owner-data list with check boxes). The thumbnail image list is made here and shown by the list.
void AttachItemList(int listControl);
// Lets go of the list and destroys the thumbnail image list.
void DetachItemList();
// Stops every helper thread that reads the collection's files (thumbnails, the find's texts) and
// waits for each to end (after the file it is reading): for shutdown, before the working folder is
// written or emptied. Rows drawn afterwards read their thumbnails themselves.
void StopCollectionHelpers();
HIMAGELIST ThumbnailImageList();
// Draws a two-pixel frame in `colour` round the picture square of the row's thumbnail.
void DrawSelectionFrame(int row, COLORREF colour);
// The slot that holds the row's thumbnail, read from its file first when no slot holds it; -1 for
// no such row.
int RowThumbnailSlot(int32_t row);
// Answers the list's question about a row as it draws it (LVN_GETDISPINFO): its thumbnail slot and
// check mark.
void DescribeRow(LVITEMA& row);

// --- Rows and the items they show --------------------------------------------------------------

// Row i shows item i, except while a find is active: then the rows show the items that match it,
// in the same order. Every function here that takes a row means a row as the list shows it.

int32_t ShownRowCount();
// The item row `row` shows; nullptr for no such row.
Item* RowItem(int32_t row);
// Its position in Collection.Items; -1 for no such row.
int32_t ItemPositionOfRow(int32_t row);
// Shows only the items that hold `query` (case-blind; see ItemMatchesFind), or every item again
// for an empty query. The selected item stays selected when it is still shown, else the first
// row is selected; the selection frame is left for the caller to draw. Items added while a query
// is active get a row when they match it.
void ShowMatchingRows(const std::u16string& query);

// --- Items by name -----------------------------------------------------------------------------

// An item's name is its identity. A command remembers the item it acts on by its name, taken when
// the user pointed at it: a row number is not kept across anything that pumps messages (a menu, a
// requester, a message box), since a capture meanwhile moves every row.

// The name of the item row `row` shows; empty for no such row.
std::string RowItemName(int32_t row);
// The item of that name; nullptr once it is gone.
Item* FindItem(const std::string& name);
// The row that shows it now; -1 when it is gone or the find hides it.
int32_t RowOfItem(const std::string& name);

// --- Who hears of changes -------------------------------------------------------------------------

// Rows came or went (the main window fits its column, the find field counts them).
void OnRowsChanged(std::function<void()> listener);
// Items, their order or their check marks changed (the autosave looks at items.dat).
void OnItemsChanged(std::function<void()> listener);
// Every file of the working folder was deleted (the autosave's files are gone too).
void OnWorkingFolderEmptied(std::function<void()> listener);
// A row's state was set in the list (row -1 for every row): a changed check mark is the item's.
void NoteRowStateChange(int32_t row, UINT oldState, UINT newState);

// --- Adding -----------------------------------------------------------------------------------------

// Writes a new item's own file at the path given; false when it could not.
using WriteItemContent = std::function<bool(const std::string& contentPath)>;

// A new item at the top: a thumbnail slot (a free one first) with the thumbnail image, its
// thumbnail file, its own file and its row. Only once it is complete are the oldest items removed
// down to the item limit, so a failed add never costs an old item. When anything fails the item
// is withdrawn completely (no record, row or file; its slot free). The thumbnail image stays the
// caller's. The extras are written once the item's own files are. False while the collection is
// held. True when the item was added.
bool AddNewItem(int32_t kind, const std::string& name, int thumbnail, bool checked,
                const WriteItemContent& writeContent, const std::vector<ItemExtra>& extras = {});

// Items whose files exist already go in at the end, in order, with their check marks. Their
// thumbnails are read when their rows are drawn; one that cannot be read shows blank.
void AppendItems(const std::vector<StoredItem>& records);

// --- Removing ---------------------------------------------------------------------------------------

// Removes the item of that name: its files (extras too), its row, its record; its slot becomes
// free. Nothing when it is gone already.
void RemoveItem(const std::string& name);
// Told between the steps of a long removal how many items are done of how many, so that the
// window answers meanwhile (a progress window that lets it paint and take sent messages). The
// collection is held for the whole removal: captures wait, and the items shown are consistent at
// every step.
using RemovalProgress = std::function<void(int32_t done, int32_t total)>;

// Removes every item whose row is checked (only shown rows: while a find is active, nothing the
// user cannot see goes).
void RemoveCheckedItems(const RemovalProgress& progress = {});
// Removes the oldest items until at most maxCount remain.
void TrimItems(int32_t maxCount, const RemovalProgress& progress = {});
// Removes every item and deletes every file of the working folder (which is made when it is
// missing), except the file `keepPath` names, if any (a board kept there); forgets capture's
// guards and the free slots, and starts a new thumbnail image list.
void ResetCollection(const std::string& keepPath);
// Deletes every file of the working folder (prefs.dat and items.dat too; read-only ones as well)
// except `keepPath`; folders inside it are not entered. Makes the folder when it is missing.
// `between` is called between files, so that the window can answer meanwhile.
void EmptyWorkingFolder(const std::string& keepPath, const std::function<void()>& between = {});

// --- Replacing the collection with the items of a board -------------------------------------------

// A board is read into a staging folder inside the working folder first, each item's files as
// they will lie in the working folder; only a board read and checked whole replaces the
// collection, so that a refused one leaves the collection and its files as they were.
std::string ImportStagingFolder();
// Makes the staging folder, empty (whatever a killed import left there goes first); false when it
// cannot be made.
bool PrepareImportStaging();
// Removes the staging folder and everything in it, after an import.
void RemoveImportStaging();
// At start-up, for what an import cut short by a crash or a power cut left: a board staged whole
// (its items.dat written) is moved into place, replacing the collection as the import would have;
// anything else staged is removed. True when an import was finished.
bool FinishOrRemoveImportStaging();
// The items.dat written into the staging folder once the board is staged whole.
std::string StagedItemsFilePath();
// Where an item file of a board's item is staged.
std::string StagedItemFilePath(const std::string& name, int32_t kind, ItemFile file);
std::string StagedItemExtraPath(const std::string& name, ExtraKind kind);
inline unsigned StagedExtraBit(ExtraKind kind) { return 1u << static_cast<unsigned>(kind); }

// An item whose files are staged, with the extras staged for it (StagedExtraBit of each).
struct StagedItem {
  StoredItem record;
  unsigned extras = 0;
};
// Replaces every item and file of the collection with the staged items, in list order: the
// working folder is emptied (except the file `keepPath` names, if any, and the staging folder),
// the items go in and the staged files are moved into place. The collection is held meanwhile and
// `progress` is told between steps, so that the window answers throughout and no capture lands in
// the middle. An item whose own file cannot be moved is left out. False, and nothing done, while
// the collection is held.
bool ReplaceWithStagedItems(const std::vector<StagedItem>& staged, const std::string& keepPath,
                            const RemovalProgress& progress = {});

// --- Check marks and records --------------------------------------------------------------------

// Whether row `row` has its check mark, and setting it (the list redraws the row).
bool IsItemChecked(int32_t row);
void SetItemChecked(int32_t row, bool checked);
// Pins or unpins the item of that name: a pinned item stays through the item limit, "Delete all
// checked items" and the deletion after a paste (its NAME.pin file keeps the pin). False when the
// item is gone or its pin file could not be written or deleted.
bool SetItemPinned(const std::string& name, bool pinned);
// The file name of the program the item was copied from ("notepad.exe"); empty when unknown.
std::string ItemSourceProgram(const Item& item);

// Every item in list order with its check mark, as items.dat and a board hold them.
std::vector<StoredItem> CollectionRecords();

// --- Holding still ------------------------------------------------------------------------------------

// While a hold lives the collection does not change: additions are refused (capture tries again
// later, dropped files wait) and so are removals. Writing a board or item files holds it, so that
// what is written is what the collection held when the user asked, however long it takes.
class CollectionHold {
 public:
  CollectionHold();
  ~CollectionHold();
  CollectionHold(const CollectionHold&) = delete;
  CollectionHold& operator=(const CollectionHold&) = delete;
};
bool CollectionHeld();
