// Emptying the whole store before a board replaces it.
#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "store/capture.h"
#include "store/item_actions.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "ui/layer/controls.h"
#include "ui/main_window.h"

namespace {

// Every file of the working directory goes (prefs.dat and items.dat too; read-only ones as well);
// folders inside it are not entered. The directory is then made anew.
void EmptyAndRemakeWorkingDirectory() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(WorkingPath("*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = WorkingPath(found.cFileName);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
  RemoveDirectoryA(WorkingDirectory().c_str());
  CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
}

}  // namespace

void ResetStore() {
  DiscardPictureWrites();
  Capture.LastCapturedText.clear();
  Capture.LastOwnBitmap = nullptr;
  Capture.LastOwnText = nullptr;
  Store.HighlightedIndex = -1;
  Store.Items.Clear();
  Store.FreeSlots.clear();
  ClearRows(Ui.ItemList);
  // The list lets go of the old image list before it is destroyed, and shows the new one.
  if (Ui.ItemListHandle) SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (Ui.ThumbImageList) ImageList_Destroy(Ui.ThumbImageList);
  EmptyAndRemakeWorkingDirectory();
  Ui.ThumbImageList = NewThumbImageList();
  if (Ui.ItemListHandle) {
    SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Ui.ThumbImageList));
  }
}
