// The formats a copy offers are listed in one call, however many it offers.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/clipboard_formats_win.h"
#include "tools/driver/clipboard_driver.h"

namespace {

UINT Registered(int number) {
  return RegisterClipboardFormatA(("KepSil offered test " + std::to_string(number)).c_str());
}

// Puts `count` registered formats of one byte each on the clipboard.
void Offer(HWND window, int count) {
  ClipboardGuard clipboard(window);
  ASSERT_TRUE(clipboard.Open());
  EmptyClipboard();
  for (int i = 0; i < count; ++i) ASSERT_NE(PlaceClipboardBlock(Registered(i), "x", 1, false), nullptr);
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
  ClipboardGuard clipboard(window_);
  ASSERT_TRUE(clipboard.Open());
  const OfferedFormats offered = OfferedFormats::List();
  EXPECT_TRUE(offered.Has(Registered(0)));
  EXPECT_TRUE(offered.Has(Registered(1)));
  EXPECT_FALSE(offered.Has(Registered(2)));
  EXPECT_FALSE(offered.Has(0));
}

// More formats than the first list has room for are asked for again, not lost.
TEST_F(OfferedFormatsTest, ListsACopyWithManyFormats) {
  constexpr int kMany = 150;
  Offer(window_, kMany);
  ClipboardGuard clipboard(window_);
  ASSERT_TRUE(clipboard.Open());
  const OfferedFormats offered = OfferedFormats::List();
  std::vector<int> missing;
  for (int i = 0; i < kMany; ++i) {
    if (!offered.Has(Registered(i))) missing.push_back(i);
  }
  EXPECT_TRUE(missing.empty()) << missing.size() << " formats not listed, the first " << missing.front();
}

}  // namespace
