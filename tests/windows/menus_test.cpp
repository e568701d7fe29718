// The four popup menus: entries, order, ids, captions and check marks, in both languages.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/code_page_win.h"
#include "core/commands.h"
#include "core/texts.h"
#include "settings/settings.h"
#include "ui/layer/menus_win.h"
#include "ui/menus.h"

namespace {

constexpr int kSeparator = -1;
constexpr int kSubmenu = -2;

struct Entry {
  int id;           // command id, kSeparator or kSubmenu
  std::string caption;
  int checked;      // 1 checked, 0 not, -1 no check mark expected either way
  std::vector<Entry> children;
};

Entry ReadEntry(HMENU menu, int position) {
  // Read in Unicode: the captions are the same letters whatever the system's code page.
  wchar_t caption[128] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = caption;
  info.cch = 128;
  GetMenuItemInfoW(menu, position, TRUE, &info);
  Entry entry{static_cast<int>(info.wID), Utf8(caption), (info.fState & MFS_CHECKED) ? 1 : 0, {}};
  if (info.fType & MFT_SEPARATOR) entry = Entry{kSeparator, "", 0, {}};
  if (info.hSubMenu) {
    entry.id = kSubmenu;
    for (int i = 0; i < GetMenuItemCount(info.hSubMenu); ++i) entry.children.push_back(ReadEntry(info.hSubMenu, i));
  }
  return entry;
}

std::vector<Entry> ReadMenu(int number) {
  std::vector<Entry> entries;
  HMENU menu = MenuHandle(number);
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) entries.push_back(ReadEntry(menu, i));
  return entries;
}

void ExpectMenu(const std::vector<Entry>& actual, const std::vector<Entry>& expected, const std::string& where) {
  ASSERT_EQ(actual.size(), expected.size()) << where;
  for (size_t i = 0; i < expected.size(); ++i) {
    std::string at = where + " #" + std::to_string(i + 1);
    EXPECT_EQ(actual[i].id, expected[i].id) << at;
    if (expected[i].id == kSeparator) continue;
    EXPECT_EQ(actual[i].caption, expected[i].caption) << at;
    if (expected[i].checked >= 0) {
      EXPECT_EQ(actual[i].checked, expected[i].checked) << at;
    }
    ExpectMenu(actual[i].children, expected[i].children, at);
  }
}

Entry Item(int id, int text, int checked = 0) { return Entry{id, Text(text), checked, {}}; }
Entry Sep() { return Entry{kSeparator, "", 0, {}}; }
Entry Sub(int text, std::vector<Entry> children) { return Entry{kSubmenu, Text(text), 0, std::move(children)}; }

class Menus : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings = SettingsState{};
    FillTexts(Texts, 0x0409);
  }
};

TEST_F(Menus, MainMenuEntriesAndCheckMarks) {
  Settings.ShowAfterCopy = 0;
  Settings.CompressImages = 0;
  BuildMenus();
  ExpectMenu(ReadMenu(MainMenu),
             {Sub(1, {Item(CmdSaveCheckedImagesBmp, 31), Item(CmdSaveCheckedImagesJpeg, 32),
                      Item(CmdSaveCheckedImagesPng, 33)}),
              Item(CmdSaveCheckedTexts, 2), Sep(), Item(CmdImportBoard, 24), Item(CmdExportBoard, 25), Sep(),
              Item(CmdLoadFiles, 34), Sep(), Item(CmdFind, FindText), Sep(),
              Sub(39, {Item(CmdCheckAllItems, 41), Item(CmdCheckAllImages, 42), Item(CmdCheckAllTexts, 43)}),
              Sub(40, {Item(CmdUncheckAllItems, 41), Item(CmdUncheckAllImages, 42), Item(CmdUncheckAllTexts, 43)}),
              Sep(), Item(CmdDeleteChecked, 3), Sep(), Item(CmdShowAfterPaste, 4, 1), Item(CmdShowAfterCopy, 5, 0),
              Item(CmdSoundOnCapture, 29, 0), Item(CmdNewItemsChecked, 30, 1), Item(CmdDeleteAfterPaste, 6, 1),
              Item(CmdKeepItems, 7, 1), Item(CmdCompressImages, 26, 0), Item(CmdSetItemLimit, 8), Sep(),
              Item(CmdWatchClipboard, 28, 1), Item(CmdIgnoredPrograms, IgnoredProgramsText), Sep(),
              Item(CmdInformation, 9), Sep(), Item(CmdExit, 10)},
             "main menu");
  EXPECT_EQ(ReadMenu(MainMenu)[0].caption, "Save all checked image items as..");
}

TEST_F(Menus, ItemAndTrayMenus) {
  Settings.WatchClipboard = 0;
  BuildMenus();
  ExpectMenu(ReadMenu(ItemMenu),
             {Item(CmdShowDetailed, 38), Item(CmdSaveItemAs, 11), Item(CmdPutToClipboard, 12), Sep(),
              Item(CmdPinItem, PinItemText), Sep(), Item(CmdDeleteItem, 13)},
             "item menu");
  // Built again for a pinned item that came from a program: it unpins, and its program can be ignored.
  PrepareItemMenu(true, "notepad.exe");
  const std::vector<Entry> forPinned = ReadMenu(ItemMenu);
  ASSERT_EQ(forPinned.size(), 8u);
  EXPECT_EQ(forPinned[4].caption, "Unpin item");
  EXPECT_EQ(forPinned[5].id, CmdIgnoreProgram);
  EXPECT_EQ(forPinned[5].caption, "Ignore copies from notepad.exe");
  ExpectMenu(ReadMenu(TrayMenuHidden),
             {Item(CmdTrayShow, 14), Sep(), Item(CmdTrayExitHidden, 15), Sep(), Item(CmdWatchClipboardTrayHidden, 28, 0)},
             "tray menu while hidden");
  ExpectMenu(ReadMenu(TrayMenuShown),
             {Item(CmdTrayHide, 16), Sep(), Item(CmdTrayExitShown, 17), Sep(), Item(CmdWatchClipboardTrayShown, 28, 0)},
             "tray menu while shown");
  EXPECT_EQ(ReadMenu(TrayMenuHidden)[0].caption, "Show KepSil!");
  EXPECT_EQ(ReadMenu(TrayMenuShown)[0].caption, "Hide KepSil!");
}

TEST_F(Menus, RefreshFollowsTheSettings) {
  BuildMenus();
  auto checkedOf = [](int menu, int id) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    GetMenuItemInfoA(MenuHandle(menu), id, FALSE, &info);
    return (info.fState & MFS_CHECKED) != 0;
  };
  ASSERT_TRUE(checkedOf(MainMenu, CmdWatchClipboard));
  Settings.WatchClipboard = 0;
  Settings.ShowAfterCopy = 0;
  RefreshMenuChecks();
  EXPECT_FALSE(checkedOf(MainMenu, CmdWatchClipboard));
  EXPECT_FALSE(checkedOf(TrayMenuHidden, CmdWatchClipboardTrayHidden));
  EXPECT_FALSE(checkedOf(TrayMenuShown, CmdWatchClipboardTrayShown));
  EXPECT_FALSE(checkedOf(MainMenu, CmdShowAfterCopy));
  EXPECT_TRUE(checkedOf(MainMenu, CmdShowAfterPaste));
  Settings.SoundOnCapture = 1;
  RefreshMenuChecks();
  EXPECT_TRUE(checkedOf(MainMenu, CmdSoundOnCapture));
}

TEST_F(Menus, GermanCaptions) {
  FillTexts(Texts, 0x0C07);
  BuildMenus();
  EXPECT_EQ(ReadMenu(TrayMenuHidden)[0].caption, "KepSil! zeigen");
  EXPECT_EQ(ReadMenu(TrayMenuShown)[0].caption, "KepSil! ausblenden");
  EXPECT_EQ(ReadMenu(MainMenu)[8].caption, "Suchen\xE2\x80\xA6");
  EXPECT_EQ(ReadMenu(MainMenu)[15].caption, "Kepsil! nach Einf\xC3\xBCgen zeigen");
  EXPECT_EQ(ReadMenu(MainMenu)[29].caption, "Beenden");
  PrepareItemMenu(false, "mstsc.exe");
  EXPECT_EQ(ReadMenu(ItemMenu)[5].caption, "Kopien aus mstsc.exe ignorieren");
  FillTexts(Texts, 0x0409);
}

}  // namespace
