#include "app/shutdown.h"

#include <windows.h>

#include "app/instance_win.h"
#include "exchange/image/images_win.h"
#include "settings/prefs_win.h"
#include "settings/settings.h"
#include "store/clipboard_reader_win.h"
#include "store/collection_win.h"
#include "store/picture_writer_win.h"
#include "store/stored_items_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

InstanceState Instance;

void ShutDown() {
  SettlePictureWrites();
  // No helper may hold a file of the folder open while it is written or emptied.
  StopCollectionHelpers();
  StopClipboardReader();
  RemoveTrayIcon(Ui.TrayIcon);
  if (Settings.KeepItems != 0 && !Collection.Items.Empty()) {
    WriteStoredItems();
  } else {
    EmptyWorkingFolder("");
  }
  DetachItemList();
  // Written in both cases, so prefs.dat exists again after the directory was emptied.
  SavePreferences(MainWindowHandle());
  if (Instance.Mutex) CloseHandle(Instance.Mutex);
  Instance.Mutex = nullptr;
  LeaveClipboardNotifications();
  EndProcess();
}

void EndProcess() {
  ReleaseWindowLayer();
  FreeAllImages();
  if (Instance.Heap) HeapDestroy(Instance.Heap);
  ExitProcess(0);
}
