#include "app/autosave_win.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "app/autosave.h"
#include "core/app_state.h"
#include "core/code_page_win.h"
#include "settings/prefs_win.h"
#include "settings/prefs_file.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "store/items_file.h"
#include "store/picture_writer_win.h"
#include "store/stored_items_win.h"
#include "ui/layer/windows_win.h"

namespace {

struct AutosaveState {
  SaveSchedule items{AutosaveIntervalMs};
  // What items.dat holds, as last written or read; nothing once the file is known to be gone.
  std::optional<std::vector<StoredItem>> writtenItems;
  // KeepItems as last seen: -1 before the first look.
  int32_t keepItems = -1;
  SaveSchedule prefs{AutosaveIntervalMs};
  // What prefs.dat holds, as last written.
  std::vector<uint8_t> writtenPrefs;
  // The main loop looks at the files only while this is set: at start, after a change to the
  // collection or a command, and when one of the timers below fires.
  bool lookDue = true;
  UINT_PTR prefsTimer = 0;  // every second: settings, window place and size change without notice
  UINT_PTR laterTimer = 0;  // once: a change that came too soon after the last write of its file
};
AutosaveState Autosave;

// Timer procedures only ask for a look: the files are written from the main loop at rest, never
// from inside a modal loop that happens to dispatch the timer.
void CALLBACK OnPrefsTimer(HWND, UINT, UINT_PTR, DWORD) { Autosave.lookDue = true; }

void CALLBACK OnLaterTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (timer == Autosave.laterTimer) Autosave.laterTimer = 0;
  Autosave.lookDue = true;
}

// A change that is not due yet is looked at again when it is.
void ScheduleLaterLook(DWORD now) {
  if (Autosave.laterTimer) return;
  uint32_t wait = Autosave.prefs.WaitMs(now);
  const uint32_t itemsWait = Settings.KeepItems != 0 ? Autosave.items.WaitMs(now) : 0;
  if (itemsWait > 0 && (wait == 0 || itemsWait < wait)) wait = itemsWait;
  if (wait > 0) Autosave.laterTimer = SetTimer(nullptr, 0, wait, OnLaterTimer);
}

bool SameItems(const std::vector<StoredItem>& a, const std::vector<StoredItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].checked != b[i].checked || a[i].name != b[i].name) return false;
  }
  return true;
}

bool WriteItems(std::vector<StoredItem> records) {
  if (!SaveItemsFile(ItemsFilePath(), records)) {
    Autosave.writtenItems.reset();
    return false;
  }
  Autosave.writtenItems = std::move(records);
  return true;
}

void KeepItemsFileCurrent(DWORD now) {
  if (Settings.KeepItems == 0) {
    // Items the user no longer wants kept must not come back after a crash; a clean shutdown
    // empties the working directory anyway.
    if (Autosave.keepItems == 1) DeleteFileW(Wide(ItemsFilePath()).c_str());
    Autosave.keepItems = 0;
    Autosave.items.Settle();
    return;
  }
  // Turned on, or the first look of this run: items.dat is brought in line with the list. What
  // it holds counts as written (a missing file as no items, which starts alike), so that an
  // unchanged file is not written again and the next change is written at once.
  if (Autosave.keepItems != 1) {
    StoredItems onDisk;
    LoadItemsFile(ItemsFilePath(), onDisk);
    Autosave.writtenItems = std::move(onDisk.items);
    Autosave.items.MarkChanged();
  }
  Autosave.keepItems = 1;
  if (!Autosave.items.Due(now)) return;
  std::vector<StoredItem> records = CollectionRecords();
  if (Autosave.writtenItems && SameItems(records, *Autosave.writtenItems)) {
    Autosave.items.Settle();
    return;
  }
  const bool written = WriteItems(std::move(records));
  Autosave.items.Written(now);
  // A failed write is tried again a second later.
  if (!written) Autosave.items.MarkChanged();
}

// Every look compares (the settings are a few bytes); only the writes are held to one a second.
void KeepPrefsFileCurrent(DWORD now) {
  std::vector<uint8_t> current = SerializePrefs(PreferencesToSave(MainWindowHandle()), SystemPrefsCodePage());
  if (current == Autosave.writtenPrefs) {
    Autosave.prefs.Settle();
    return;
  }
  Autosave.prefs.MarkChanged();
  if (!Autosave.prefs.Due(now)) return;
  const bool written = SavePreferences(MainWindowHandle());
  Autosave.prefs.Written(now);
  // A failed write is tried again at a later look, as items.dat's is.
  if (written) {
    Autosave.writtenPrefs = std::move(current);
  } else {
    Autosave.prefs.MarkChanged();
  }
}

}  // namespace

void NoteItemsChanged() {
  Autosave.items.MarkChanged();
  Autosave.lookDue = true;
}

void NoteCommandDone() { Autosave.lookDue = true; }

void NoteWorkingFolderEmptied() {
  Autosave.writtenItems.reset();
  Autosave.writtenPrefs.clear();
  NoteItemsChanged();
}

bool StoredFilesLookDue() { return Autosave.lookDue; }

void KeepStoredFilesCurrent() {
  Autosave.lookDue = false;
  if (!Autosave.prefsTimer) Autosave.prefsTimer = SetTimer(nullptr, 0, AutosaveIntervalMs, OnPrefsTimer);
  const DWORD now = GetTickCount();
  // items.dat never lists an item whose picture is still being written: looked at again on the
  // next pass until the pictures are done.
  if (CollectPictureWrites()) {
    KeepItemsFileCurrent(now);
  } else {
    Autosave.lookDue = true;
  }
  KeepPrefsFileCurrent(now);
  ScheduleLaterLook(now);
}

void SaveBeforeSessionEnd() {
  FinishPictureWrites();
  const DWORD now = GetTickCount();
  if (Settings.KeepItems != 0) {
    WriteItems(CollectionRecords());
    Autosave.keepItems = 1;
    Autosave.items.Written(now);
  }
  SavePreferences(MainWindowHandle());
  Autosave.writtenPrefs = SerializePrefs(PreferencesToSave(MainWindowHandle()), SystemPrefsCodePage());
  Autosave.prefs.Written(now);
}
