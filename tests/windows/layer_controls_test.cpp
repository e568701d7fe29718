// List rows and their state bits, progress bar range, status bar placement, control resizing.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "tests/windows/layer_test_util.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"

namespace {

class LayerControls : public ::testing::Test {
 protected:
  void SetUp() override {
    InitWindowLayer();
    window_ = NewWindow(-1, 100, 100, 320, 240, WS_OVERLAPPEDWINDOW | WindowHidden, "controls", nullptr);
    ASSERT_NE(window_, 0);
    BeginControls(WindowHandle(window_));
  }
  void TearDown() override { DisposeWindow(window_); }

  std::string RowText(int list, int row) {
    char text[64] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(ControlHandle(list), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }

  int window_ = 0;
};

TEST_F(LayerControls, ListStylesFromFlags) {
  int list = NewListControl(-1, 0, 0, 305, 227, "Menu", 301, ListCheckBoxes | ListGridLines | ListFullRowSelect);
  HWND handle = ControlHandle(list);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(GetDlgCtrlID(handle), list);
  LONG style = GetWindowLongA(handle, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & LVS_SHAREIMAGELISTS);
  EXPECT_TRUE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  auto extended = SendMessageA(handle, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(extended & (LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP),
            LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(SendMessageA(handle, LVM_GETCOLUMNWIDTH, 0, 0), 301);
  char title[16] = {};
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT;
  column.pszText = title;
  column.cchTextMax = sizeof title;
  SendMessageA(handle, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  EXPECT_STREQ(title, "Menu");
  // The manifest asks for the common controls of version 6: the list's code comes from that
  // side-by-side assembly (whose DllGetVersion says 5 under Wine, so the path is checked).
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(GetWindowLongPtrW(handle, GWLP_WNDPROC)), &module);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, sizeof path);
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;

  int multi = NewListControl(-1, 0, 0, 100, 100, "", 90, ListMultiSelect);
  EXPECT_FALSE(GetWindowLongA(ControlHandle(multi), GWL_STYLE) & LVS_SINGLESEL);
  EXPECT_NE(multi, list);
}

TEST_F(LayerControls, RowsInsertRemoveAndCount) {
  int list = NewListControl(-1, 0, 0, 305, 227, "Menu", 301, ListCheckBoxes);
  EXPECT_EQ(InsertRow(list, -1, "first"), 0);
  EXPECT_EQ(InsertRow(list, -1, "second"), 1);
  EXPECT_EQ(InsertRow(list, 0, "top"), 0);
  EXPECT_EQ(RowCount(list), 3);
  EXPECT_EQ(RowText(list, 0), "top");
  EXPECT_EQ(RowText(list, 2), "second");
  RemoveRow(list, 0);
  EXPECT_EQ(RowText(list, 0), "first");
  ClearRows(list);
  EXPECT_EQ(RowCount(list), 0);
  // Rows of another kind of control or an unknown number are not rows at all.
  EXPECT_EQ(RowCount(9999), 0);
  EXPECT_EQ(GetControlState(9999), -1);
}

TEST_F(LayerControls, RowStateBitsAndSelection) {
  int list = NewListControl(-1, 0, 0, 305, 227, "Menu", 301, ListCheckBoxes);
  for (int row = 0; row < 3; ++row) InsertRow(list, -1, "");
  EXPECT_EQ(GetRowState(list, 1), 0);
  EXPECT_EQ(GetControlState(list), -1);

  SetRowState(list, 1, RowSelected | RowChecked);
  EXPECT_EQ(GetRowState(list, 1), RowSelected | RowChecked);
  EXPECT_EQ(GetControlState(list), 1);
  // Setting only the check mark clears the selection of that row.
  SetRowState(list, 1, RowChecked);
  EXPECT_EQ(GetRowState(list, 1), RowChecked);
  EXPECT_EQ(GetControlState(list), -1);
  SetRowState(list, 1, 0);
  EXPECT_EQ(GetRowState(list, 1), 0);

  SetControlState(list, 2);
  EXPECT_EQ(GetControlState(list), 2);
  EXPECT_EQ(GetRowState(list, 2), RowSelected);
  EXPECT_EQ(GetFocus(), ControlHandle(list));
  SetControlState(list, 0);
  EXPECT_EQ(GetControlState(list), 0);
  EXPECT_EQ(GetRowState(list, 2), 0);
  SetControlState(list, -1);
  EXPECT_EQ(GetControlState(list), -1);

  // Without check boxes no row reports a check mark.
  int plain = NewListControl(-1, 0, 0, 100, 100, "", 90, 0);
  InsertRow(plain, -1, "");
  EXPECT_EQ(GetRowState(plain, 0), 0);
}

TEST_F(LayerControls, ProgressBarHoldsLargeRanges) {
  int bar = NewProgressBar(-1, 0, 0, 150, 25, 0, 100000);
  ASSERT_NE(bar, 0);
  SetControlState(bar, 70000);
  EXPECT_EQ(GetControlState(bar), 70000);
  SetControlState(bar, 3);
  EXPECT_EQ(GetControlState(bar), 3);
}

TEST_F(LayerControls, StatusBarFollowsTheBottomAndResizeKeepsValues) {
  HWND window = WindowHandle(window_);
  NewStatusBar(0, window);  // the program numbers its status bar 0
  ASSERT_NE(ControlHandle(0), nullptr);
  SetStatusText(0, 0, "notice");
  char text[32] = {};
  SendMessageA(ControlHandle(0), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "notice");

  SetWindowPos(window, nullptr, 0, 0, 340, 400, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{}, bar{};
  GetClientRect(window, &client);
  GetWindowRect(ControlHandle(0), &bar);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.bottom, client.bottom);

  int list = NewListControl(-1, 5, 6, 200, 100, "", 90, 0);
  ResizeControl(list, -1, -1, -1, 150);
  RECT rect{};
  GetWindowRect(ControlHandle(list), &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 6);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 150);
  // The resize message is reported once it comes round in the queue.
  EXPECT_TRUE(DrainSeesEvent(EventSize));
}

TEST_F(LayerControls, RichTextControl) {
  int rich = NewRichTextControl(-1, 0, 0, 200, 100);
  ASSERT_NE(rich, 0);
  char className[32] = {};
  GetClassNameA(ControlHandle(rich), className, sizeof className);
  EXPECT_TRUE(std::string(className) == "RichEdit20A" || std::string(className) == "RichEdit") << className;
  EXPECT_TRUE(GetWindowLongA(ControlHandle(rich), GWL_STYLE) & ES_MULTILINE);
}

}  // namespace
