// The information window: its place and size, the read-only document of the current language,
// and the main window given back however the window is closed.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "core/texts.h"
#include "tests/windows/layer_test_util.h"
#include "tools/driver/window_driver.h"
#include "ui/information.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

// What another thread saw of the open window before closing it.
struct Seen {
  bool found = false;
  std::string title;
  RECT client{};
  RECT frame{};
  bool mainEnabled = true;
  std::string className;
  bool readOnlyStyle = false;
  std::string textBefore;
  std::string textAfterTyping;
  int lines = 0;
  bool closedTheGivenWay = false;
};

std::string TextOf(HWND window) {
  std::string text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

// Long: the window's modal loop ends only when the watcher that found it closes it.
HWND FindOpenInformation() {
  for (int tries = 0; tries < 3000; ++tries) {
    HWND found = FindWindowA(nullptr, "Information");
    if (found && IsWindowVisible(found) && GetWindowThreadProcessId(found, nullptr) != GetCurrentThreadId()) {
      return found;
    }
    Sleep(10);
  }
  return nullptr;
}

class InformationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitWindowLayer();
    Ui.MainWindow = NewWindow(-1, 30, 30, 300, 200, WS_CAPTION | WS_SYSMENU, "Information test main", nullptr);
  }
  static void TearDownTestSuite() {
    DisposeWindow(Ui.MainWindow);
    Ui = MainWindowState{};
  }
  void TearDown() override { Texts.LanguageGerman = 0; }

  // Opens the window; another thread looks at it, types into its text, then closes it the given way.
  Seen Open(const std::function<void(HWND)>& close) {
    Seen seen;
    HWND main = WindowHandle(Ui.MainWindow);
    std::thread watcher([&] {
      HWND window = FindOpenInformation();
      if (!window) return;
      seen.found = true;
      seen.title = TextOf(window);
      GetClientRect(window, &seen.client);
      GetWindowRect(window, &seen.frame);
      seen.mainEnabled = IsWindowEnabled(main) != 0;
      HWND text = FindWindowExA(window, nullptr, nullptr, nullptr);
      char className[64] = {};
      GetClassNameA(text, className, sizeof className);
      seen.className = className;
      seen.readOnlyStyle = (GetWindowLongPtrA(text, GWL_STYLE) & ES_READONLY) != 0;
      seen.textBefore = TextOf(text);
      seen.lines = static_cast<int>(SendMessageA(text, EM_GETLINECOUNT, 0, 0));
      // Typing and deleting, as a user would, reach the control through the window's queue.
      SendMessageA(text, EM_SETSEL, 0, 0);
      for (WPARAM key : {WPARAM{'x'}, WPARAM{'y'}, WPARAM{VK_RETURN}}) PostMessageA(text, WM_CHAR, key, 1);
      PostMessageA(text, WM_KEYDOWN, VK_DELETE, 1);
      PostMessageA(text, WM_CUT, 0, 0);
      WaitForPostedMessages(text);
      seen.textAfterTyping = TextOf(text);
      close(window);
      // Destroying a shown window takes a while on a display without a window manager.
      for (int tries = 0; tries < 1500 && IsWindow(window); ++tries) Sleep(10);
      seen.closedTheGivenWay = !IsWindow(window);
      // So that a failure does not leave the test waiting.
      if (!seen.closedTheGivenWay) PostMessageA(window, WM_CLOSE, 0, 0);
    });
    ShowInformation();
    watcher.join();
    return seen;
  }

  static void ExpectOpenedAndGivenBack(const Seen& seen) {
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.closedTheGivenWay);
    EXPECT_EQ(seen.title, "Information");
    EXPECT_EQ(seen.client.right, 465);
    EXPECT_EQ(seen.client.bottom, 550);
    // Centred on the screen, within a pixel of rounding.
    const int centreX = (seen.frame.left + seen.frame.right) / 2;
    const int centreY = (seen.frame.top + seen.frame.bottom) / 2;
    EXPECT_NEAR(centreX, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(centreY, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_FALSE(seen.mainEnabled);
    EXPECT_TRUE(seen.readOnlyStyle);
    EXPECT_EQ(seen.textAfterTyping, seen.textBefore);
    // Long paragraphs wrap at the control's width instead of running off to the right.
    const int paragraphs = static_cast<int>(std::count(seen.textBefore.begin(), seen.textBefore.end(), '\n')) + 1;
    EXPECT_GT(seen.lines, paragraphs + 10);
    HWND main = WindowHandle(Ui.MainWindow);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_EQ(CurrentWindowHandle(), main);
    EXPECT_EQ(FindWindowA(nullptr, "Information"), nullptr);
  }
};

TEST_F(InformationTest, EnglishDocumentReadOnlyClosedByTheCloseBox) {
  const Seen seen = Open([](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
  ExpectOpenedAndGivenBack(seen);
  EXPECT_EQ(seen.className, "RichEdit20A");
  EXPECT_TRUE(seen.textBefore.starts_with("KepSil!")) << seen.textBefore.substr(0, 40);
  EXPECT_NE(seen.textBefore.find("On its first start"), std::string::npos);
  EXPECT_EQ(seen.textBefore.find("\\rtf"), std::string::npos) << "shown as plain RTF source";
}

TEST_F(InformationTest, GermanDocumentWithTheSameTitleClosedByAltF4) {
  Texts.LanguageGerman = 1;
  const Seen seen = Open([](HWND window) {
    // Alt+F4 as the system delivers it to the focused control of the window.
    HWND text = FindWindowExA(window, nullptr, nullptr, nullptr);
    const LPARAM altDown = LPARAM{1} | (LPARAM{1} << 29);
    PostMessageA(text, WM_SYSKEYDOWN, VK_F4, altDown);
  });
  ExpectOpenedAndGivenBack(seen);
  EXPECT_NE(seen.textBefore.find("Beim ersten Start"), std::string::npos);
  EXPECT_NE(seen.textBefore.find("Zwischenablage"), std::string::npos);
}

TEST_F(InformationTest, ClosedByACloseRequestFromOutside) {
  const Seen seen = Open([](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); });
  ExpectOpenedAndGivenBack(seen);
}

TEST(InformationDocument, OneRtfDocumentPerLanguage) {
  const std::string english = InformationDocument(0);
  const std::string german = InformationDocument(1);
  EXPECT_TRUE(english.starts_with("{\\rtf1\\ansi"));
  EXPECT_TRUE(german.starts_with("{\\rtf1\\ansi"));
  EXPECT_NE(english, german);
  EXPECT_EQ(english.find('\0'), std::string::npos);
}

}  // namespace
