// The formats a copy offers are listed in one call, however many it offers.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/clipboard_formats_win.h"

namespace {

bool OpenClipboardFor(HWND window) {
  for (int attempt = 0; attempt < 5000; ++attempt) {
    if (OpenClipboard(window)) return true;
    Sleep(2);
  }
  return false;
}

UINT Registered(int number) {
  return RegisterClipboardFormatA(("KepSil offered test " + std::to_string(number)).c_str());
}

// Puts `count` registered formats of one byte each on the clipboard.
void Offer(HWND window, int count) {
  ASSERT_TRUE(OpenClipboardFor(window));
  EmptyClipboard();
  for (int i = 0; i < count; ++i) ASSERT_NE(PlaceClipboardBlock(Registered(i), "x", 1, false), nullptr);
  CloseClipboard();
}

class OfferedFormatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }
  HWND window_ = nullptr;
};

TEST_F(OfferedFormatsTest, TellsOfferedFromAbsentFormats) {
  Offer(window_, 2);
  ASSERT_TRUE(OpenClipboardFor(window_));
  const OfferedFormats offered = OfferedFormats::List();
  const bool first = offered.Has(Registered(0)), second = offered.Has(Registered(1));
  const bool absent = offered.Has(Registered(2)), none = offered.Has(0);
  CloseClipboard();
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
  EXPECT_FALSE(absent);
  EXPECT_FALSE(none);
}

// More formats than the first list has room for are asked for again, not lost.
TEST_F(OfferedFormatsTest, ListsACopyWithManyFormats) {
  constexpr int kMany = 150;
  Offer(window_, kMany);
  ASSERT_TRUE(OpenClipboardFor(window_));
  const OfferedFormats offered = OfferedFormats::List();
  std::vector<int> missing;
  for (int i = 0; i < kMany; ++i) {
    if (!offered.Has(Registered(i))) missing.push_back(i);
  }
  CloseClipboard();
  EXPECT_TRUE(missing.empty()) << missing.size() << " formats not listed, the first " << missing.front();
}

}  // namespace
