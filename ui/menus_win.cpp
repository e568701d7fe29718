// The four popup menus and their check marks.
#include "ui/menus.h"

#include "core/commands.h"
#include "core/texts.h"
#include "settings/settings.h"
#include "ui/layer/menus_win.h"

namespace {

struct CheckedEntry {
  int menu;
  int id;
  int32_t SettingsState::*setting;
};

// Every entry whose check mark mirrors a setting.
constexpr CheckedEntry kCheckedEntries[] = {
    {MainMenu, CmdShowAfterPaste, &SettingsState::ShowAfterPaste},
    {MainMenu, CmdShowAfterCopy, &SettingsState::ShowAfterCopy},
    {MainMenu, CmdSoundOnCapture, &SettingsState::SoundOnCapture},
    {MainMenu, CmdNewItemsChecked, &SettingsState::NewItemsChecked},
    {MainMenu, CmdDeleteAfterPaste, &SettingsState::DeleteAfterPaste},
    {MainMenu, CmdKeepItems, &SettingsState::KeepItems},
    {MainMenu, CmdCompressImages, &SettingsState::CompressImages},
    {MainMenu, CmdWatchClipboard, &SettingsState::WatchClipboard},
    {TrayMenuHidden, CmdWatchClipboardTrayHidden, &SettingsState::WatchClipboard},
    {TrayMenuShown, CmdWatchClipboardTrayShown, &SettingsState::WatchClipboard},
};

void AppendChecked(int menu, int id, int text) {
  AppendItem(id, Text(text));
  for (const CheckedEntry& entry : kCheckedEntries) {
    if (entry.menu == menu && entry.id == id) SetItemChecked(menu, id, Settings.*entry.setting != 0);
  }
}

void BuildMainMenu() {
  if (!NewPopupMenu(MainMenu)) return;
  BeginSubmenu(Text(1));
  AppendItem(CmdSaveCheckedImagesBmp, Text(31));
  AppendItem(CmdSaveCheckedImagesJpeg, Text(32));
  AppendItem(CmdSaveCheckedImagesPng, Text(33));
  EndSubmenu();
  AppendItem(CmdSaveCheckedTexts, Text(2));
  AppendSeparator();
  AppendItem(CmdImportBoard, Text(24));
  AppendItem(CmdExportBoard, Text(25));
  AppendSeparator();
  AppendItem(CmdLoadFiles, Text(34));
  AppendSeparator();
  AppendItem(CmdFind, Text(FindText));
  AppendSeparator();
  BeginSubmenu(Text(39));
  AppendItem(CmdCheckAllItems, Text(41));
  AppendItem(CmdCheckAllImages, Text(42));
  AppendItem(CmdCheckAllTexts, Text(43));
  EndSubmenu();
  BeginSubmenu(Text(40));
  AppendItem(CmdUncheckAllItems, Text(41));
  AppendItem(CmdUncheckAllImages, Text(42));
  AppendItem(CmdUncheckAllTexts, Text(43));
  EndSubmenu();
  AppendSeparator();
  AppendItem(CmdDeleteChecked, Text(3));
  AppendSeparator();
  AppendChecked(MainMenu, CmdShowAfterPaste, 4);
  AppendChecked(MainMenu, CmdShowAfterCopy, 5);
  AppendChecked(MainMenu, CmdSoundOnCapture, 29);
  AppendChecked(MainMenu, CmdNewItemsChecked, 30);
  AppendChecked(MainMenu, CmdDeleteAfterPaste, 6);
  AppendChecked(MainMenu, CmdKeepItems, 7);
  AppendChecked(MainMenu, CmdCompressImages, 26);
  AppendItem(CmdSetItemLimit, Text(8));
  AppendSeparator();
  AppendChecked(MainMenu, CmdWatchClipboard, 28);
  AppendItem(CmdIgnoredPrograms, Text(IgnoredProgramsText));
  AppendSeparator();
  AppendItem(CmdInformation, Text(9));
  AppendSeparator();
  AppendItem(CmdExit, Text(10));
}

void BuildItemMenu(bool pinned, const std::string& program) {
  if (!NewPopupMenu(ItemMenu)) return;
  AppendItem(CmdShowDetailed, Text(38));
  AppendItem(CmdSaveItemAs, Text(11));
  AppendItem(CmdPutToClipboard, Text(12));
  AppendSeparator();
  AppendItem(CmdPinItem, Text(pinned ? UnpinItemText : PinItemText));
  if (!program.empty()) AppendItem(CmdIgnoreProgram, WithName(Text(IgnoreCopiesFromText), program));
  AppendSeparator();
  AppendItem(CmdDeleteItem, Text(13));
}

void BuildTrayMenu(int menu, int showOrHide, int showOrHideText, int exit, int exitText, int watch) {
  if (!NewPopupMenu(menu)) return;
  AppendItem(showOrHide, Text(showOrHideText));
  AppendSeparator();
  AppendItem(exit, Text(exitText));
  AppendSeparator();
  AppendChecked(menu, watch, 28);
}

}  // namespace

void BuildMenus() {
  BuildMainMenu();
  BuildItemMenu(false, {});
  BuildTrayMenu(TrayMenuHidden, CmdTrayShow, 14, CmdTrayExitHidden, 15, CmdWatchClipboardTrayHidden);
  BuildTrayMenu(TrayMenuShown, CmdTrayHide, 16, CmdTrayExitShown, 17, CmdWatchClipboardTrayShown);
}

void PrepareItemMenu(bool pinned, const std::string& program) { BuildItemMenu(pinned, program); }

void RefreshMenuChecks() {
  for (const CheckedEntry& entry : kCheckedEntries) {
    SetItemChecked(entry.menu, entry.id, Settings.*entry.setting != 0);
  }
}
