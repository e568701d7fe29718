// The main window: its item list with thumbnails, status bar, shortcuts and tray icon.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Colours of the list, thumbnails and text icon, and of the selection frame.
constexpr COLORREF BackgroundColour = RGB(230, 230, 250);
constexpr COLORREF SelectionColour = RGB(200, 0, 0);

// Thumbnail size of every row.
constexpr int ThumbWidth = 278;
constexpr int ThumbHeight = 60;

struct MainWindowState {
  int MainWindow = 0;            // window number; title "KepSil!"
  int ItemList = 0;              // list control number
  HWND ItemListHandle = nullptr; // its SysListView32
  HIMAGELIST ThumbImageList = nullptr;
  int TextIcon = 0;              // 60 x 60 image painted left of every text thumbnail
  int ColumnWidth = 0;           // 301, or 283 while the vertical scroll bar shows
  int ColumnNarrowed = 0;
  int BuiltWindowWidth = 0;      // outer size right after creation
  int MinWindowHeight = 0;
  int TrayIcon = 0;
  HWND NextClipboardViewer = nullptr;  // what SetClipboardViewer answered, for serving the chain
};
extern MainWindowState Ui;

// ImageList_Create(278, 60, ILC_COLORDDB | ILC_MASK, 0, 0); also used when the store is reset.
HIMAGELIST NewThumbImageList();

// Builds window, list, image list, text icon, status bar, shortcuts, viewer membership,
// tray icon and the four popup menus from the settings and texts.
void BuildMainWindow();

// Moves the red frame to the selected row (Store.HighlightedIndex follows it).
void UpdateSelectionHighlight();
void DrawSelectionFrame(int row, COLORREF colour);

// Narrows the column to 283 while more rows exist than fit on a page, else 301.
void FitColumnWidth();
// Restores the column width after the user dragged the header border.
void KeepColumnWidth();
// Makes the list restore its column width by itself after anything that may have changed it
// (done when the window is built).
void WatchColumnWidth(HWND list);

// checked 0/1; kind 0 image items, 1 text items, 2 all. Touched rows end up unselected.
void SetCheckedByKind(int checked, int kind);
