// Command identifiers of the menus and the main window's keyboard shortcuts.
#pragma once

#include <cstdint>

inline constexpr int32_t CmdSaveCheckedTexts = 2;
inline constexpr int32_t CmdDeleteChecked = 3;
inline constexpr int32_t CmdShowAfterPaste = 4;
inline constexpr int32_t CmdShowAfterCopy = 5;
inline constexpr int32_t CmdDeleteAfterPaste = 6;
inline constexpr int32_t CmdKeepItems = 7;
inline constexpr int32_t CmdSetItemLimit = 8;
inline constexpr int32_t CmdInformation = 9;
inline constexpr int32_t CmdExit = 10;
inline constexpr int32_t CmdSaveItemAs = 11;
inline constexpr int32_t CmdPutToClipboard = 12;
inline constexpr int32_t CmdDeleteItem = 13;
inline constexpr int32_t CmdTrayShow = 20;
inline constexpr int32_t CmdTrayExitHidden = 21;
inline constexpr int32_t CmdTrayHide = 30;
inline constexpr int32_t CmdTrayExitShown = 31;
inline constexpr int32_t CmdImportBoard = 40;
inline constexpr int32_t CmdExportBoard = 41;
inline constexpr int32_t CmdCompressImages = 42;
inline constexpr int32_t CmdWatchClipboard = 43;
inline constexpr int32_t CmdWatchClipboardTrayHidden = 44;
inline constexpr int32_t CmdWatchClipboardTrayShown = 45;
inline constexpr int32_t CmdSoundOnCapture = 46;
inline constexpr int32_t CmdNewItemsChecked = 47;
inline constexpr int32_t CmdSaveCheckedImagesBmp = 50;
inline constexpr int32_t CmdSaveCheckedImagesJpeg = 51;
inline constexpr int32_t CmdSaveCheckedImagesPng = 52;
inline constexpr int32_t CmdLoadFiles = 53;
inline constexpr int32_t CmdShowDetailed = 54;
inline constexpr int32_t CmdCheckAllItems = 55;
inline constexpr int32_t CmdCheckAllImages = 56;
inline constexpr int32_t CmdCheckAllTexts = 57;
inline constexpr int32_t CmdUncheckAllItems = 58;
inline constexpr int32_t CmdUncheckAllImages = 59;
inline constexpr int32_t CmdUncheckAllTexts = 60;
// Opens the find field (the main menu's entry and Ctrl+F).
inline constexpr int32_t CmdFind = 61;
// The item menu's pin, which pins or unpins the item; Ctrl+P does it for the selected row.
inline constexpr int32_t CmdPinItem = 62;
// The item menu's "Ignore copies from NAME": no copy from the item's program makes an item.
inline constexpr int32_t CmdIgnoreProgram = 63;
// The main menu's list of the programs whose copies are ignored.
inline constexpr int32_t CmdIgnoredPrograms = 64;

// Keyboard shortcuts of the main window (no modifier keys, except where said).
inline constexpr int32_t KeyDelete = 200;
inline constexpr int32_t KeyBackspace = 201;
inline constexpr int32_t KeyReturn = 202;
inline constexpr int32_t KeySpace = 203;
inline constexpr int32_t KeyDetail = 204;
// Shift+Return: paste the text alone, without its rich text or HTML.
inline constexpr int32_t KeyPlainReturn = 205;
// Ctrl+P: pin or unpin the selected row.
inline constexpr int32_t KeyPin = 206;
// Ctrl+1 ... Ctrl+9: paste the first ... ninth row shown, as a double click on it would.
inline constexpr int32_t KeyPasteFirstRow = 210;
inline constexpr int32_t KeyPasteNinthRow = 218;
