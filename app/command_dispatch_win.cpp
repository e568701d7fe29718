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
#include "exchange/save_items.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "store/item_actions.h"
#include "store/neighbour_row.h"
#include "ui/information.h"
#include "ui/find_bar_win.h"
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

// Reads the selected row into ClickedIndex; false when no row is selected.
bool TakeSelectedRow() {
  Loop.ClickedIndex = GetControlState(Ui.ItemList);
  return Loop.ClickedIndex != -1;
}

}  // namespace

void DeleteOneItem(int32_t row) {
  if (!RowItem(row)) return;
  RemoveItem(row);
  const int32_t neighbour = NeighbourAfterDeletion(row, RowCount(Ui.ItemList));
  if (neighbour != -1) SetControlState(Ui.ItemList, neighbour);
  UpdateSelectionHighlight();
}

void AskItemLimit() {
  const std::string answer = AskText(Text(18), Text(19), std::to_string(Settings.ItemLimit));
  if (const std::optional<int32_t> limit = AcceptItemLimitAnswer(answer)) {
    // Trimming keeps at most the count that leaves room for one more item: at most *limit remain.
    TrimItems(*limit);
    Settings.ItemLimit = *limit;
  }
  FitColumnWidth();
}

void PasteRow(int32_t row, PasteFormats formats) {
  if (!RowItem(row)) return;
  const bool deleted = PasteItem(row, formats);
  if (Settings.ShowAfterPaste != 1) return;
  if (deleted && RowCount(Ui.ItemList) > 0) {
    SetControlState(Ui.ItemList, NeighbourAfterDeletion(row, RowCount(Ui.ItemList)));
    UpdateSelectionHighlight();
  }
  ShowWindow(Main(), SW_SHOWNORMAL);
}

void DispatchCommand(int32_t id) {
  switch (id) {
    case CmdSaveCheckedTexts: SaveCheckedTexts(); break;
    case CmdDeleteChecked: RemoveCheckedItems(); break;
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
    case CmdSaveItemAs: SaveItemAs(Loop.ClickedIndex); break;
    case CmdPutToClipboard:
      if (!RowItem(Loop.ClickedIndex)) break;
      MakeRowCurrent(Loop.ClickedIndex);
      PutItemToClipboard();
      break;
    case CmdDeleteItem: DeleteOneItem(Loop.ClickedIndex); break;
    case CmdTrayShow: ShowMain(); break;
    case CmdTrayHide: ShowWindow(Main(), SW_HIDE); break;
    case CmdImportBoard: ImportBoard(""); break;
    case CmdExportBoard: ExportBoard(); break;
    case CmdSaveCheckedImagesBmp: SaveCheckedImages(ImageEncoding::Bmp); break;
    case CmdSaveCheckedImagesJpeg: SaveCheckedImages(ImageEncoding::Jpeg); break;
    case CmdSaveCheckedImagesPng: SaveCheckedImages(ImageEncoding::Png); break;
    case CmdLoadFiles: LoadFilesAsItems(); break;
    case CmdShowDetailed:
      if (!TakeSelectedRow()) break;
      MakeRowCurrent(Loop.ClickedIndex);
      ShowPreview(PreviewFromMenu);
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
      if (TakeSelectedRow()) DeleteOneItem(Loop.ClickedIndex);
      break;
    case KeyReturn:
      if (TakeSelectedRow()) PasteRow(Loop.ClickedIndex);
      break;
    case KeyPlainReturn:
      if (TakeSelectedRow()) PasteRow(Loop.ClickedIndex, PasteFormats::PlainText);
      break;
    case KeySpace:
      if (TakeSelectedRow()) {
        SetItemChecked(Loop.ClickedIndex, !IsItemChecked(Loop.ClickedIndex));
      }
      break;
    case KeyDetail:
      if (!TakeSelectedRow()) break;
      MakeRowCurrent(Loop.ClickedIndex);
      ShowPreview(PreviewFromKey);
      break;
    default: break;
  }
}
