// A main window with an item list, a working folder and item files, for the preview's tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "exchange/image/images_win.h"
#include "store/collection.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

// The pixels of a bitmap, top row first, as COLORREF values.
struct CanvasPixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  static bool Dark(COLORREF colour) { return GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 200; }
  // True when some pixel of the rectangle [left, right) x [top, bottom) is dark.
  bool AnyDark(int left, int top, int right, int bottom) const {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (Dark(At(x, y))) return true;
      }
    }
    return false;
  }
  bool AllOf(int left, int top, int right, int bottom, COLORREF colour) const {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (At(x, y) != colour) return false;
      }
    }
    return true;
  }
};

inline CanvasPixels ReadBitmapPixels(HBITMAP bitmap, int width, int height) {
  CanvasPixels result{width, height, std::vector<COLORREF>(static_cast<size_t>(width) * height)};
  BITMAPINFO info = TopDownHeader32(width, height);
  std::vector<uint32_t> raw(result.pixels.size());
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, height, raw.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (size_t i = 0; i < raw.size(); ++i) {
    // 0x00RRGGBB in memory order B, G, R.
    result.pixels[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
  }
  return result;
}

class PreviewFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitWindowLayer();
    App.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    App.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    App.AppDir = App.DataDir = std::string(temp) + "kepsil_preview_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(App.AppDir.c_str(), nullptr);
    CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
    Thumbs.TextFont = CreateFontA(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    Ui.MainWindow = NewWindow(-1, 40, 40, 320, 420, WS_CAPTION | WS_SYSMENU, "Preview test", nullptr);
    BeginControls(WindowHandle(Ui.MainWindow));
    Ui.ItemList = NewListControl(-1, 0, 0, 320, 400, "", 300, ListCheckBoxes);
    Ui.ItemListHandle = ControlHandle(Ui.ItemList);
  }
  static void TearDownTestSuite() {
    DisposeWindow(Ui.MainWindow);
    Ui = MainWindowState{};
    DeleteObject(Thumbs.TextFont);
    Thumbs.TextFont = nullptr;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((WorkingPath("*")).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA(WorkingPath(found.cFileName).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(WorkingDirectory().c_str());
    RemoveDirectoryA(App.AppDir.c_str());
  }
  void TearDown() override { Collection = CollectionState{}; }

  // An image item whose picture file is a width x height BMP in one colour.
  static Item PictureItem(const std::string& name, int width, int height, COLORREF colour) {
    const int picture = NewImage(-1, width, height);
    EXPECT_NE(picture, 0);
    EXPECT_TRUE(BeginDrawing(picture));
    DrawBox(0, 0, width, height, colour);
    EndDrawing();
    EXPECT_EQ(SaveImageFile(picture, WorkingPath(name + ".bmp"), ImageEncoding::Bmp), 1);
    DisposeImage(picture);
    return Item{ImageItem, 0, name};
  }

  static Item TextItemWith(const std::string& name, const std::string& text) {
    FILE* file = std::fopen(WorkingPath(name + ".txt").c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file) {
      std::fwrite(text.data(), 1, text.size(), file);
      std::fclose(file);
    }
    return Item{TextItem, 0, name};
  }

  // Makes the item the store's only and current one.
  static void MakeCurrent(const Item& item) {
    Collection = CollectionState{};
    Collection.Items.Insert(item);
  }
};
