// Shared by the end-to-end tests: a fixture that gives each test its own copy of kepsil.exe,
// and builders for the files a test prepares in the copy's working directory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/driver/clipboard_driver.h"
#include "tools/driver/kepsil_process.h"
#include "tools/driver/list_driver.h"
#include "tools/driver/window_driver.h"

// The tray icon's number: the main window's one tray icon is the layer's first.
constexpr int kTrayNumber = 1;

// prefs.dat values in file order; the defaults of a first run.
struct PrefsFile {
  int32_t values[14] = {1, 1, 20, 1, 1, 1, 50, 50, 0, 227, 1, 1, 0, 1};
  std::string strings[6];

  enum Index { ShowAfterPaste, ShowAfterCopy, ItemLimit, DeleteAfterPaste, KeepItems, StartVisible,
               WindowX, WindowY, WindowHeight, ListHeight, CompressImages, WatchClipboard,
               SoundOnCapture, NewItemsChecked };
  std::vector<unsigned char> Bytes() const;
  // Reads the fourteen numbers back; false when the file is shorter.
  static bool Read(const std::vector<unsigned char>& bytes, int32_t (&values)[14]);
};

struct ItemRecord {
  int32_t kind;  // 0 image, 1 text
  int32_t checked;
  std::string name;
};
std::vector<unsigned char> ItemsDatBytes(const std::vector<ItemRecord>& records);

// A 278 x 60 PNG thumbnail of one colour with a darker square at the left.
std::vector<unsigned char> ThumbnailPng(uint8_t red, uint8_t green, uint8_t blue);

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The program beside the test executable.
  static std::string ProgramPath();

  // Creates the working directory, so that the start is a later run (no question).
  void MakeWorkingDirectory();
  void WritePrefs(const PrefsFile& prefs);
  // Writes items.dat and every item's files (thumbnail, picture or text).
  void WriteItems(const std::vector<ItemRecord>& records);
  // Starts the copy and waits for its main window; fails the test when it does not come.
  void StartProgram(const std::string& arguments = "");
  // Starts a later run with no prepared files.
  void StartLaterRun(const std::string& arguments = "");

  HWND Main() const { return app_.MainWindow(); }
  HWND List() const { return app_.ListView(); }
  // Selects a row and waits until the list shows it selected.
  void SelectRow(int row);
  // Selects a row and presses a key in the list with the main window in front.
  void PressKeyOnRow(int row, int virtualKey);
  // Makes the row the one that the item commands act on, as Space does, and leaves its check mark
  // as it was: Space toggles the mark, so it is pressed twice, each press waited for.
  void TakeRow(int row);
  // Before a check that something did not happen: gives it `ms` to happen, then waits until the
  // program has taken everything posted to it by then, however slow the machine. False when the
  // program stopped answering.
  bool Settle(DWORD ms);
  // Waits for the requester or message box the program opened.
  HWND WaitForRequester(DWORD timeoutMs = 20000);
  // Waits for the program's message box of that title, answers it with OK and waits until it is
  // gone. False when none came.
  bool AnswerMessage(const std::string& title, DWORD timeoutMs = 20000);
  // Ends the program with Exit; fails the test when it does not end.
  void ExitProgram();

  KepsilProcess app_;
};

// Three items: an image, a text (checked) and an image, with names that sort by age.
std::vector<ItemRecord> ThreeItems();
