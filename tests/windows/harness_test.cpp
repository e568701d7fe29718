// Proves the in-process harness: real windows and the real clipboard under the test display.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string ReadClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (auto* chars = static_cast<const char*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

bool WriteClipboardText(HWND owner, const std::string& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  bool handedOver = false;
  if (memory) {
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    handedOver = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!handedOver) GlobalFree(memory);
  }
  CloseClipboard();
  return handedOver;
}

TEST(Harness, WindowAndClipboardRoundTrip) {
  HWND window = CreateWindowExA(0, "STATIC", "harness", WS_OVERLAPPED, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  char title[32] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "harness");

  const std::string text = "KepSil! harness \xE4\xF6\xFC";
  ASSERT_TRUE(WriteClipboardText(window, text));
  EXPECT_EQ(ReadClipboardText(window), text);
  DestroyWindow(window);
}

}  // namespace
