// The window layer's records: what each number stands for. Shared by the layer's own files.
#pragma once

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ui/layer/controls_win.h"
#include "ui/layer/posted_marks_win.h"
#include "ui/layer/windows_win.h"

struct LayerWindow {
  HWND handle = nullptr;
  std::string className;
  std::vector<ACCEL> shortcuts;
  HACCEL accelerators = nullptr;  // rebuilt from shortcuts when they change
};

enum class ControlKind { List, ProgressBar, RichText, StatusBar };

struct LayerControl {
  HWND handle = nullptr;
  ControlKind kind = ControlKind::List;
  ListOwner owner;  // an owner-data list's
};

struct LayerTrayIcon {
  HWND window = nullptr;
  HICON icon = nullptr;
  std::string tip;
};

struct WindowLayer {
  std::map<int, LayerWindow> windows;
  int currentWindow = 0;
  int mainWindow = 0;
  std::map<int, LayerControl> controls;
  HWND controlParent = nullptr;
  std::map<int, HMENU> menus;
  std::vector<HMENU> menuStack;  // the menu being built is the last one
  std::map<int, LayerTrayIcon> trayIcons;
  std::map<int, HFONT> fonts;
  WindowHook hook = nullptr;
  // The event made while the last message was dispatched.
  int eventKind = 0;
  int eventSource = 0;
  int eventDetail = -1;
  // The last mark posted by a driving process that the thread has taken.
  WPARAM lastPostedMark = kNoPostedMarkYet;
};
extern WindowLayer Layer;

// The lowest number above every number in use, for callers that pass -1.
template <typename Record>
int FreshNumber(const std::map<int, Record>& records) {
  return records.empty() ? 1 : std::max(1, records.rbegin()->first + 1);
}
