#include "core/commands.h"

#include <cstring>
#include <iterator>

namespace {

#define KEPSIL_COMMAND(id, text) {id, #id, text, 0}
#define KEPSIL_KEY(id, key) {id, #id, 0, key}

constexpr CommandInfo kCommands[] = {
    KEPSIL_COMMAND(CmdSaveCheckedTexts, 2),
    KEPSIL_COMMAND(CmdDeleteChecked, 3),
    KEPSIL_COMMAND(CmdShowAfterPaste, 4),
    KEPSIL_COMMAND(CmdShowAfterCopy, 5),
    KEPSIL_COMMAND(CmdDeleteAfterPaste, 6),
    KEPSIL_COMMAND(CmdKeepItems, 7),
    KEPSIL_COMMAND(CmdSetItemLimit, 8),
    KEPSIL_COMMAND(CmdInformation, 9),
    KEPSIL_COMMAND(CmdExit, 10),
    KEPSIL_COMMAND(CmdSaveItemAs, 11),
    KEPSIL_COMMAND(CmdPutToClipboard, 12),
    KEPSIL_COMMAND(CmdDeleteItem, 13),
    KEPSIL_COMMAND(CmdTrayShow, 14),
    KEPSIL_COMMAND(CmdTrayExitHidden, 15),
    KEPSIL_COMMAND(CmdTrayHide, 16),
    KEPSIL_COMMAND(CmdTrayExitShown, 17),
    KEPSIL_COMMAND(CmdImportBoard, 24),
    KEPSIL_COMMAND(CmdExportBoard, 25),
    KEPSIL_COMMAND(CmdCompressImages, 26),
    KEPSIL_COMMAND(CmdWatchClipboard, 28),
    KEPSIL_COMMAND(CmdWatchClipboardTrayHidden, 28),
    KEPSIL_COMMAND(CmdWatchClipboardTrayShown, 28),
    KEPSIL_COMMAND(CmdSoundOnCapture, 29),
    KEPSIL_COMMAND(CmdNewItemsChecked, 30),
    KEPSIL_COMMAND(CmdSaveCheckedImagesBmp, 31),
    KEPSIL_COMMAND(CmdSaveCheckedImagesJpeg, 32),
    KEPSIL_COMMAND(CmdSaveCheckedImagesPng, 33),
    KEPSIL_COMMAND(CmdLoadFiles, 34),
    KEPSIL_COMMAND(CmdShowDetailed, 38),
    KEPSIL_COMMAND(CmdCheckAllItems, 41),
    KEPSIL_COMMAND(CmdCheckAllImages, 42),
    KEPSIL_COMMAND(CmdCheckAllTexts, 43),
    KEPSIL_COMMAND(CmdUncheckAllItems, 41),
    KEPSIL_COMMAND(CmdUncheckAllImages, 42),
    KEPSIL_COMMAND(CmdUncheckAllTexts, 43),
    KEPSIL_KEY(KeyDelete, 0x2E),
    KEPSIL_KEY(KeyBackspace, 0x08),
    KEPSIL_KEY(KeyReturn, 0x0D),
    KEPSIL_KEY(KeySpace, 0x20),
    KEPSIL_KEY(KeyDetail, 0x44),
};

#undef KEPSIL_COMMAND
#undef KEPSIL_KEY

}  // namespace

const CommandInfo* CommandTable(int32_t& count) {
  count = static_cast<int32_t>(std::size(kCommands));
  return kCommands;
}

const CommandInfo* FindCommand(int32_t id) {
  for (const CommandInfo& command : kCommands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

int32_t CommandIdByName(const char* name) {
  if (name == nullptr) return 0;
  for (const CommandInfo& command : kCommands) {
    if (std::strcmp(command.name, name) == 0) return command.id;
  }
  return 0;
}
