// The interface texts (captions, titles, prompts, messages) in English or German. The built-in
// table is written in code page 1252; the filled slots hold them in UTF-8, as every program string.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Slots 0..63; texts 1..60 are used, the others stay empty.
inline constexpr int TextSlotCount = 64;
inline constexpr int FirstText = 1;
inline constexpr int LastText = 60;
// The message shown when a damaged board was not read (the file name goes first).
inline constexpr int BoardNotReadText = 44;
// The main menu's entry that opens the find field.
inline constexpr int FindText = 45;
// Between the two numbers the find field shows: rows shown, items in all.
inline constexpr int ShownOfAllText = 46;
// Before the folder the information window names as where the items are kept.
inline constexpr int DataFolderText = 47;
// The status bar's word when an item could not be put on the clipboard: another program held it.
inline constexpr int ClipboardBusyText = 48;
// The message when an export was refused: an item is larger than a board holds (its name first).
inline constexpr int BoardTooLargeText = 49;
// The message when a board was read but could not be imported: its files could not be written
// (the file name goes first).
inline constexpr int BoardNotImportedText = 50;
// The item menu's pin entry, as the item is not pinned or is.
inline constexpr int PinItemText = 51;
inline constexpr int UnpinItemText = 52;
// The preview's words for a pinned item, and before the program an item was copied from.
inline constexpr int PinnedText = 53;
inline constexpr int CopiedFromText = 54;
// The item menu's entry that ignores the item's program ("%s" stands for the program).
inline constexpr int IgnoreCopiesFromText = 55;
// The main menu's entry and the window that list the ignored programs, its words and buttons.
inline constexpr int IgnoredProgramsText = 56;
inline constexpr int IgnoredProgramsTitleText = 57;
inline constexpr int IgnoredProgramsLabelText = 58;
inline constexpr int RemoveText = 59;
inline constexpr int CloseText = 60;

struct InterfaceTexts {
  int32_t LanguageGerman = 0;  // 1 German, 0 English
  std::array<std::string, TextSlotCount> Slots;

  // Text n, or an empty string for a number outside the table.
  const std::string& operator[](int n) const;
};

extern InterfaceTexts Texts;

// Text n of the global table (Texts[n]).
const std::string& Text(int n);

// True for the five German locale identifiers (Germany, Switzerland, Austria, Luxembourg,
// Liechtenstein); the whole value is compared, so a non-default sort order gives false.
bool IsGermanLocale(uint32_t lcid);

// The built-in text n in one language, in code page 1252; nullptr outside FirstText..LastText.
const char* BuiltInText(int n, bool german);

// Sets LanguageGerman from a locale identifier and fills slots FirstText..LastText in that language.
void FillTexts(InterfaceTexts& texts, uint32_t lcid);
// Fills slots FirstText..LastText in the language LanguageGerman names.
void FillTexts(InterfaceTexts& texts);

// Field 1 is before the first "|", field 2 between the first and second "|" or up to the end,
// and so on; a field that does not exist is empty.
std::string TextField(const std::string& text, int field);

// The text with its "%s" replaced by `name` (the name goes at the end when there is none).
std::string WithName(const std::string& text, const std::string& name);

struct MessageText {
  std::string title;    // field 1
  std::string message;  // field 2
};
// Splits a message text ("Title|Message") for a message box.
MessageText SplitMessageText(const std::string& text);
