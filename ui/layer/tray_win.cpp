// Notification-area icons. Their callback message is turned into tray events by the layer.
#include "ui/layer/tray_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "ui/layer/layer_state_win.h"

namespace {

NOTIFYICONDATAA BaseData(int number, HWND window) {
  NOTIFYICONDATAA data{};
  // The original layout (up to the 64-character tip), which every shell accepts.
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = static_cast<UINT>(number);
  return data;
}

}  // namespace

namespace {

bool Add(int number, HWND window, HICON icon, const std::string& tip) {
  NOTIFYICONDATAA data = BaseData(number, window);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = MessageTrayCallback;
  data.hIcon = icon;
  size_t length = std::min(tip.size(), static_cast<size_t>(63));
  std::memcpy(data.szTip, tip.data(), length);
  data.szTip[length] = '\0';
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

}  // namespace

int AddTrayIcon(int number, HWND window, HICON icon) {
  if (number == -1) number = FreshNumber(Layer.trayIcons);
  if (!Add(number, window, icon, "")) return 0;
  Layer.trayIcons[number] = LayerTrayIcon{window, icon, ""};
  return number;
}

void SetTrayTip(int number, const std::string& text) {
  auto it = Layer.trayIcons.find(number);
  if (it == Layer.trayIcons.end()) return;
  it->second.tip = text.substr(0, 63);
  NOTIFYICONDATAA data = BaseData(number, it->second.window);
  data.uFlags = NIF_TIP;
  std::memcpy(data.szTip, it->second.tip.c_str(), it->second.tip.size() + 1);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void RemoveTrayIcon(int number) {
  auto it = Layer.trayIcons.find(number);
  if (it == Layer.trayIcons.end()) return;
  NOTIFYICONDATAA data = BaseData(number, it->second.window);
  Shell_NotifyIconA(NIM_DELETE, &data);
  Layer.trayIcons.erase(it);
}

void ReAddTrayIcons(HWND window) {
  for (const auto& [number, icon] : Layer.trayIcons) {
    if (icon.window == window) Add(number, window, icon.icon, icon.tip);
  }
}
