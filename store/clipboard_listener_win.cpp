#include "store/clipboard_listener_win.h"

namespace {

using ListenerCall = BOOL(WINAPI*)(HWND);

ListenerCall User32Call(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<ListenerCall>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

bool AddClipboardListener(HWND window) {
  const ListenerCall add = User32Call("AddClipboardFormatListener");
  return add && add(window);
}

void RemoveClipboardListener(HWND window) {
  if (const ListenerCall remove = User32Call("RemoveClipboardFormatListener")) remove(window);
}
