#include "app/shutdown.h"

#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "app/stored_items.h"
#include "exchange/image/images_win.h"
#include "settings/prefs.h"
#include "settings/settings.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "ui/layer/tray.h"
#include "ui/layer/windows.h"
#include "ui/main_window.h"

void ShutDown() {
  SettlePictureWrites();
  RemoveTrayIcon(Ui.TrayIcon);
  if (Ui.ThumbImageList) ImageList_Destroy(Ui.ThumbImageList);
  Ui.ThumbImageList = nullptr;
  if (Settings.KeepItems != 0 && !Store.Items.Empty()) {
    WriteStoredItems();
  } else {
    EmptyWorkingDirectory();
  }
  // Written in both cases, so prefs.dat exists again after the directory was emptied.
  SavePreferences();
  if (App.Mutex) CloseHandle(App.Mutex);
  App.Mutex = nullptr;
  // Leave the clipboard viewer chain while the window still exists, so the chain stays whole.
  if (HWND main = WindowHandle(Ui.MainWindow)) ChangeClipboardChain(main, Ui.NextClipboardViewer);
  EndProcess();
}

void EndProcess() {
  ReleaseWindowLayer();
  FreeAllImages();
  if (App.Heap) HeapDestroy(App.Heap);
  ExitProcess(0);
}
