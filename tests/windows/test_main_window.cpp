#include "tests/windows/test_main_window.h"

#include <algorithm>

#include <windows.h>
#include <commctrl.h>

#include "core/app_state.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "store/collection_win.h"
#include "ui/main_window_win.h"

void BuildMainWindowForTests() {
  InitWindowLayer();
  InitImageServices();
  App.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
  App.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  MakeThumbnailLook();
  FillTexts(Texts, 0x0409);
  BuildMainWindow();
}

void EmptyCollectionForTests() {
  Collection = CollectionState{};
  // A fresh binding: no rows, every thumbnail slot free.
  DetachItemList();
  AttachItemList(Ui.ItemList);
}

void DisposeMainWindowForTests() {
  SetWindowHook(nullptr);
  RemoveTrayIcon(Ui.TrayIcon);
  LeaveClipboardNotifications();
  DisposeWindow(Ui.MainWindow);
  DetachItemList();
  DisposeImage(Thumbs.TextIcon);
  Ui = MainWindowState{};
  // The layer keeps its point fonts for the whole run; only the thumbnail font is the test's own.
  if (Thumbs.TextFont) DeleteObject(Thumbs.TextFont);
  Thumbs.TextFont = nullptr;
}

std::string NewTempFolder(const std::string& prefix) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  for (int attempt = 0;; ++attempt) {
    std::string folder = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(GetTickCount()) + "-" + std::to_string(attempt) + "\\";
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveWorkingFolder() {
  for (const std::string& file : FilesIn(WorkingDirectory() + "\\")) {
    SetFileAttributesA(WorkingPath(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(WorkingPath(file).c_str());
  }
  RemoveDirectoryA(WorkingDirectory().c_str());
  RemoveDirectoryA(App.AppDir.c_str());
}
