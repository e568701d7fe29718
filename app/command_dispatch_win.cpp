#include "app/command_dispatch.h"

#include <windows.h>

#include <optional>
#include <string>

#include "core/commands.h"
#include "app/item_limit_answer.h"
#include "app/loop_state.h"
#include "core/texts.h"
#include "app/toggle_commands.h"
#include "exchange/board_export.h"
#include "exchange/board_import.h"
#include "exchange/load_files_win.h"
#include "exchange/progress_window.h"
#include "exchange/save_items.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "store/ignored_programs_win.h"
#include "store/item_actions.h"
#include "store/neighbour_row.h"
#include "ui/information.h"
#include "ui/find_bar_win.h"
#include "ui/ignored_programs_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/menus_win.h"
#include "ui/layer/requesters.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"
#include "ui/menus.h"
#include "ui/preview.h"

namespace {

HWND Main() {
  return WindowHandle(Ui.MainWindow);
}

void ShowMain() {
  ShowWindow(Main(), SW_SHOWNORMAL);
  SetForegroundWindow(Main());
}

void Quit() {
  Loop.QuitRequested = 1;
}

void Toggle(int32_t id) {
  if (!ApplyToggle(Settings, id)) return;
  const bool on = *ToggleTarget(Settings, id) != 0;
  if (id == CmdWatchClipboard || id == CmdWatchClipboardTrayHidden || id == CmdWatchClipboardTrayShown) {
    // One setting, three entries: the main menu and both tray menus show it together.
    SetItemChecked(MainMenu, CmdWatchClipboard, on);
    SetItemChecked(TrayMenuHidden, CmdWatchClipboardTrayHidden, on);
    SetItemChecked(TrayMenuShown, CmdWatchClipboardTrayShown, on);
  } else {
    SetItemChecked(MainMenu, id, on);
  }
}

// The item of the selected row, which the item menu's commands then act on too (as after a right
// click); empty when no row is selected.
std::string TakeSelectedItem() {
  Loop.ClickedItem = RowItemName(GetControlState(Ui.ItemList));
  return Loop.ClickedItem;
}

// The progress window of a long removal: it opens when a step of the work has taken long enough
// for the user to notice (a few items never show it), and lets the window answer between steps.
class RemovalProgressWindow {
 public:
  RemovalProgress Callback() {
    return [this](int32_t done, int32_t total) {
      if (!window_) window_.emplace(static_cast<int>(total));
      window_->Step(static_cast<int>(done));
    };
  }

 private:
  std::optional<ProgressWindow> window_;
};

void DeleteCheckedItems() {
  RemovalProgressWindow progress;
  RemoveCheckedItems(progress.Callback());
}

void PutOnClipboard(const std::string& item) {
  if (PutItemToClipboard(item) == PutResult::ClipboardBusy) ShowStatusNotice(Text(ClipboardBusyText));
}

void TogglePin(const std::string& name) {
  if (const Item* item = FindItem(name)) SetItemPinned(name, !item->pinned);
}

// No copy from the item's program makes an item from now on.
void IgnoreProgramOf(const std::string& name) {
  const Item* item = FindItem(name);
  if (!item) return;
  if (IgnoredPrograms().Add(ItemSourceProgram(*item))) SaveIgnoredPrograms();
}

// Ctrl+1 ... Ctrl+9: the row, as a double click on it would.
void PasteNumberedRow(int32_t key) {
  const int32_t row = key - KeyPasteFirstRow;
  if (row < RowCount(Ui.ItemList)) PasteRow(row);
}

}  // namespace

void DeleteOneItem(const std::string& item) {
  if (!FindItem(item)) return;
  const int32_t row = RowOfItem(item);
  RemoveItem(item);
  // An item the find hid meanwhile had no row, and the selection stays where it is.
  const int32_t neighbour = row < 0 ? -1 : NeighbourAfterDeletion(row, RowCount(Ui.ItemList));
  if (neighbour != -1) SetControlState(Ui.ItemList, neighbour);
  UpdateSelectionHighlight();
}

void AskItemLimit() {
  const std::string answer = AskText(Text(18), Text(19), std::to_string(Settings.ItemLimit));
  if (const std::optional<int32_t> limit = AcceptItemLimitAnswer(answer)) {
    // Trimming keeps at most the count that leaves room for one more item: at most *limit remain.
    RemovalProgressWindow progress;
    TrimItems(*limit, progress.Callback());
    Settings.ItemLimit = *limit;
  }
  FitColumnWidth();
}

void PasteRow(int32_t row, PasteFormats formats) {
  const std::string item = RowItemName(row);
  if (item.empty()) return;
  Loop.ClickedItem = item;
  bool busy = false;
  const PasteResult pasted = PasteItem(item, formats, busy);
  if (pasted == PasteResult::NotPasted) {
    if (busy) ShowStatusNotice(Text(ClipboardBusyText));
    return;
  }
  if (Settings.ShowAfterPaste != 1) return;
  if (pasted == PasteResult::PastedAndDeleted && RowCount(Ui.ItemList) > 0) {
    SetControlState(Ui.ItemList, NeighbourAfterDeletion(row, RowCount(Ui.ItemList)));
    UpdateSelectionHighlight();
  }
  ShowWindow(Main(), SW_SHOWNORMAL);
}

void DispatchCommand(int32_t id) {
  switch (id) {
    case CmdSaveCheckedTexts: SaveCheckedTexts(); break;
    case CmdDeleteChecked: DeleteCheckedItems(); break;
    case CmdShowAfterPaste:
    case CmdShowAfterCopy:
    case CmdDeleteAfterPaste:
    case CmdKeepItems:
    case CmdCompressImages:
    case CmdWatchClipboard:
    case CmdWatchClipboardTrayHidden:
    case CmdWatchClipboardTrayShown:
    case CmdSoundOnCapture:
    case CmdNewItemsChecked: Toggle(id); break;
    case CmdSetItemLimit: AskItemLimit(); break;
    case CmdInformation: ShowInformation(); break;
    case CmdExit:
    case CmdTrayExitHidden:
    case CmdTrayExitShown: Quit(); break;
    // The item menu's commands act on the item right-clicked, whatever came in since.
    case CmdSaveItemAs: SaveItemAs(Loop.ClickedItem); break;
    case CmdPutToClipboard: PutOnClipboard(Loop.ClickedItem); break;
    case CmdDeleteItem: DeleteOneItem(Loop.ClickedItem); break;
    case CmdPinItem: TogglePin(Loop.ClickedItem); break;
    case CmdIgnoreProgram: IgnoreProgramOf(Loop.ClickedItem); break;
    case CmdIgnoredPrograms: ShowIgnoredPrograms(); break;
    case CmdTrayShow: ShowMain(); break;
    case CmdTrayHide: ShowWindow(Main(), SW_HIDE); break;
    case CmdImportBoard: ImportBoard(""); break;
    case CmdExportBoard: ExportBoard(); break;
    case CmdSaveCheckedImagesBmp: SaveCheckedImages(ImageEncoding::Bmp); break;
    case CmdSaveCheckedImagesJpeg: SaveCheckedImages(ImageEncoding::Jpeg); break;
    case CmdSaveCheckedImagesPng: SaveCheckedImages(ImageEncoding::Png); break;
    case CmdLoadFiles: LoadFilesAsItems(); break;
    case CmdShowDetailed:
      if (const std::string item = TakeSelectedItem(); !item.empty()) ShowPreview(item, PreviewFromMenu);
      break;
    case CmdCheckAllItems: SetCheckedByKind(1, EveryKind); break;
    case CmdCheckAllImages: SetCheckedByKind(1, ImageItem); break;
    case CmdCheckAllTexts: SetCheckedByKind(1, TextItem); break;
    case CmdUncheckAllItems: SetCheckedByKind(0, EveryKind); break;
    case CmdUncheckAllImages: SetCheckedByKind(0, ImageItem); break;
    case CmdUncheckAllTexts: SetCheckedByKind(0, TextItem); break;
    case CmdFind: OpenFind(); break;
    case KeyDelete:
    case KeyBackspace:
      if (const std::string item = TakeSelectedItem(); !item.empty()) DeleteOneItem(item);
      break;
    case KeyReturn:
      PasteRow(GetControlState(Ui.ItemList));
      break;
    case KeyPlainReturn:
      PasteRow(GetControlState(Ui.ItemList), PasteFormats::PlainText);
      break;
    case KeySpace:
      if (!TakeSelectedItem().empty()) {
        const int32_t row = GetControlState(Ui.ItemList);
        SetItemChecked(row, !IsItemChecked(row));
      }
      break;
    case KeyPin:
      if (const std::string item = TakeSelectedItem(); !item.empty()) TogglePin(item);
      break;
    case KeyDetail:
      if (const std::string item = TakeSelectedItem(); !item.empty()) ShowPreview(item, PreviewFromKey);
      break;
    default:
      if (id >= KeyPasteFirstRow && id <= KeyPasteNinthRow) PasteNumberedRow(id);
      break;
  }
}
