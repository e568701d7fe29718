// A main window with an empty collection in a working folder of its own, for the in-process tests
// of dropping, loading and saving files.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/collection_win.h"
#include "core/app_state.h"
#include "app/loop_state.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_reader_win.h"
#include "store/item_actions.h"
#include "store/collection.h"
#include "app/window_callback_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

class LoadSaveWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    folder_ = std::string(temp) + "kepsil-exchange-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    Settings = SettingsState{};
    Collection = CollectionState{};
    Loop = LoopState{};
    App.AppDir = App.DataDir = folder_;
    App.TempDir = temp;
    CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
    BuildMainWindowForTests();
    SetWindowHook(WindowCallback);
    StartClipboardReader(WindowHandle(Ui.MainWindow));
  }
  static void TearDownTestSuite() {
    StopClipboardReader();
    DisposeMainWindowForTests();
    RemoveAll(folder_);
  }
  void SetUp() override {
    Settings.WatchClipboard = 0;  // the tests' own clipboard traffic makes no items
    Settings.ShowAfterCopy = 0;
    ResetCollection("");
    Loop = LoopState{};
  }

  HWND Main() const { return WindowHandle(Ui.MainWindow); }
  static std::string Folder() { return folder_; }
  // A file in the test's folder (outside the working directory).
  static std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
  }
  static std::string Read(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    return bytes;
  }
  // A picture file of one colour, written through the image services.
  static std::string PutPicture(const std::string& name, ImageEncoding encoding) {
    const int image = NewImage(-1, 24, 16);
    const std::string path = folder_ + name;
    EXPECT_EQ(SaveImageFile(image, path, encoding, 10), 1);
    DisposeImage(image);
    return path;
  }

 private:
  static void RemoveAll(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveAll(folder + name + "\\");
        } else {
          DeleteFileA((folder + name).c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  static inline std::string folder_;
};
