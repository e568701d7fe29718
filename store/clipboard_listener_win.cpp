#include "store/clipboard_listener_win.h"

#include "store/user32_function_win.h"

namespace {

using ListenerCall = BOOL(WINAPI*)(HWND);

}  // namespace

bool AddClipboardListener(HWND window) {
  const ListenerCall add = User32Function<ListenerCall>("AddClipboardFormatListener");
  return add && add(window);
}

void RemoveClipboardListener(HWND window) {
  if (const ListenerCall remove = User32Function<ListenerCall>("RemoveClipboardFormatListener")) remove(window);
}
