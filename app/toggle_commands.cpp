#include "app/toggle_commands.h"

#include "core/commands.h"

int32_t* ToggleTarget(SettingsState& settings, int32_t commandId) {
  switch (commandId) {
    case CmdShowAfterPaste: return &settings.ShowAfterPaste;
    case CmdShowAfterCopy: return &settings.ShowAfterCopy;
    case CmdDeleteAfterPaste: return &settings.DeleteAfterPaste;
    case CmdKeepItems: return &settings.KeepItems;
    case CmdCompressImages: return &settings.CompressImages;
    case CmdWatchClipboard:
    case CmdWatchClipboardTrayHidden:
    case CmdWatchClipboardTrayShown: return &settings.WatchClipboard;
    case CmdSoundOnCapture: return &settings.SoundOnCapture;
    case CmdNewItemsChecked: return &settings.NewItemsChecked;
    default: return nullptr;
  }
}

bool ApplyToggle(SettingsState& settings, int32_t commandId) {
  int32_t* setting = ToggleTarget(settings, commandId);
  if (!setting) return false;
  *setting ^= 1;
  return true;
}
