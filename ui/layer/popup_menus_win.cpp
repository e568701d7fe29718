// Numbered popup menus with submenus; a chosen entry comes back as a menu event.
#include "ui/layer/menus_win.h"

#include "core/code_page_win.h"
#include "ui/layer/layer_state_win.h"

namespace {

HMENU Building() { return Layer.menuStack.empty() ? nullptr : Layer.menuStack.back(); }

void Track(HMENU menu, HWND window, int x, int y) {
  if (!menu) return;
  SetForegroundWindow(window);
  TrackPopupMenu(menu, 0, x, y, 0, window, nullptr);
  // WORKAROUND: without a message after the menu, a tray menu that was dismissed by a click
  // elsewhere opens only every second time.
  PostMessageA(window, WM_NULL, 0, 0);
}

}  // namespace

HMENU NewPopupMenu(int number) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  if (number == -1) number = FreshNumber(Layer.menus);
  if (auto it = Layer.menus.find(number); it != Layer.menus.end()) DestroyMenu(it->second);
  Layer.menus[number] = menu;
  Layer.menuStack.assign(1, menu);
  return menu;
}

HMENU MenuHandle(int number) {
  auto it = Layer.menus.find(number);
  return it == Layer.menus.end() ? nullptr : it->second;
}

void BeginSubmenu(const std::string& caption) {
  HMENU parent = Building();
  if (!parent) return;
  HMENU submenu = CreateMenu();
  if (!submenu) return;
  AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), Wide(caption).c_str());
  Layer.menuStack.push_back(submenu);
}

void EndSubmenu() {
  if (Layer.menuStack.size() > 1) Layer.menuStack.pop_back();
}

void AppendItem(int id, const std::string& caption) {
  if (HMENU menu = Building()) AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Wide(caption).c_str());
}

void AppendSeparator() {
  if (HMENU menu = Building()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void SetItemChecked(int menu, int id, bool checked) {
  HMENU handle = MenuHandle(menu);
  if (!handle) return;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = checked ? MFS_CHECKED : 0;
  SetMenuItemInfoW(handle, static_cast<UINT>(id), FALSE, &info);
}

void PopupAtCursor(int menu, HWND window) {
  POINT cursor{};
  GetCursorPos(&cursor);
  Track(MenuHandle(menu), window, cursor.x - 1, cursor.y - 1);
}

void PopupAt(int menu, HWND window, int x, int y) { Track(MenuHandle(menu), window, x, y); }
