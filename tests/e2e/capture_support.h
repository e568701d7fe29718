// Shared by the capture, put-back and paste tests: a run of the program with chosen settings,
// the items it made (read from its files and from items.dat after Exit) and thumbnail pixels.
#pragma once

#include <string>
#include <vector>

#include "store/items_file.h"
#include "tests/e2e/e2e_support.h"
#include "tools/driver/capture_driver.h"

inline constexpr COLORREF kLavender = RGB(230, 230, 250);

// Colours drawn by GDI may differ in the last bits after stretching.
bool NearColour(COLORREF actual, COLORREF expected, int tolerance = 8);

class CaptureRun : public E2eTest {
 protected:
  // A later run (no first-run question) with these settings.
  void StartWith(const PrefsFile& prefs);
  void StartWithDefaults() { StartWith(PrefsFile{}); }

  bool WaitForRows(int count, DWORD timeoutMs = 10000);
  // Lets the program settle (see Settle) and checks that the row count stayed as it was.
  bool RowsStay(int count, DWORD forMs = 800);
  // Base names of the item files in the working directory, oldest first.
  std::vector<std::string> ItemNames();
  // Item files in the working directory (prefs.dat and items.dat left out), sorted.
  std::vector<std::string> ItemFiles();
  std::string TextOf(const std::string& name);
  // Ends the program and reads the items.dat it wrote.
  StoredItems ExitAndReadItems();
  // Takes the row as the item menu's commands do, then sends the command.
  void CommandOnRow(int row, int command);
};
