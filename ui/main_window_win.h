// The main window: its item list with thumbnails, status bar, shortcuts and tray icon.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "store/thumbnail_win.h"

// The status bar's control number (the find field takes its place while it shows).
inline constexpr int MainStatusBar = 0;

struct MainWindowState {
  int MainWindow = 0;            // window number; title "KepSil!"
  int ItemList = 0;              // list control number
  HWND ItemListHandle = nullptr; // its SysListView32
  int ColumnWidth = 0;           // 301, or 283 while the vertical scroll bar shows
  int ColumnNarrowed = 0;
  int BuiltWindowWidth = 0;      // outer size right after creation
  int MinWindowHeight = 0;
  int TrayIcon = 0;
  bool ClipboardListening = false;     // told of changes as a format listener
  HWND NextClipboardViewer = nullptr;  // else in the viewer chain: what SetClipboardViewer answered
};
extern MainWindowState Ui;

// The outer size of the main window as it is built.
SIZE MainWindowFrameSize();

// Builds window, list, status bar, shortcuts, viewer membership, tray icon and the four popup
// menus from the settings and texts; the list shows the collection.
void BuildMainWindow();

// Stops hearing of clipboard changes: leaves the listeners or the viewer chain (keeping it whole),
// while the window still exists.
void LeaveClipboardNotifications();

// Shows a short notice in the status bar in place of its hint, which comes back when the user
// selects another row.
void ShowStatusNotice(const std::string& text);

// Moves the red frame to the selected row (Collection.HighlightedIndex follows it).
void UpdateSelectionHighlight();

// Narrows the column to 283 while more rows exist than fit on a page, else 301.
void FitColumnWidth();
// Restores the column width after the user dragged the header border.
void KeepColumnWidth();
// Makes the list restore its column width by itself after anything that may have changed it
// (done when the window is built).
void WatchColumnWidth(HWND list);

// Hides the main window when it shows, else shows it in front with the list focused.
void ToggleMainWindow();

// Which rows SetCheckedByKind touches: ImageItem, TextItem, or every row.
inline constexpr int32_t EveryKind = 2;
// checked 0/1; kind ImageItem, TextItem or EveryKind. Touched rows end up unselected.
void SetCheckedByKind(int checked, int32_t kind);
