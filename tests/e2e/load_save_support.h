// Collections with chosen contents, board files and picture checks for the exchange tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/board_format.h"
#include "tests/e2e/e2e_support.h"

// One stored item with the exact bytes of its files.
struct StoredFiles {
  int32_t kind;  // 0 image, 1 text
  int32_t checked;
  std::string name;
  std::vector<unsigned char> content;  // the .bmp or .txt file
  std::vector<unsigned char> thumbnail;
};

// A 40 x 30 picture with a colour gradient, as a 24-bit BMP, a PNG and a JPEG file.
std::vector<unsigned char> GradientBmp(int seed);
std::vector<unsigned char> GradientPng(int seed);
std::vector<unsigned char> GradientJpeg(int seed);
std::vector<unsigned char> Bytes(const std::string& text);

// Checks of what a file holds, by content.
bool Is24BitBmp(const std::vector<unsigned char>& bytes);
bool IsPng(const std::vector<unsigned char>& bytes);
// A JPEG whose quantisation tables are all 1, which is what quality 100 gives.
bool IsJpegOfHighestQuality(const std::vector<unsigned char>& bytes);
// The picture a file holds (24-bit BMP, PNG or JPEG) equals the gradient of that seed, every
// channel within `tolerance`.
bool ShowsGradient(const std::vector<unsigned char>& file, int seed, int tolerance = 0);

// The six strings of a prefs.dat file; empty when it has none.
std::vector<std::string> PrefsStrings(const std::vector<unsigned char>& bytes);
enum PrefsString { LastImageSaveDir, LastTextSaveDir, LastImageFolder, LastTextFolder, LastBoardFile, LastLoadDir };

class ExchangeTest : public E2eTest {
 protected:
  void TearDown() override;

  // Writes items.dat and every item's files.
  void WriteCollection(const std::vector<StoredFiles>& items);
  // Text (checked), BMP picture, PNG picture (checked), one-byte text.
  static std::vector<StoredFiles> MixedCollection();
  // A folder of the test's own, with a trailing backslash. It is not in the temporary folder,
  // which the folder requester's tree does not show. The first call names it (UTF-8, any script).
  std::string OutputFolder(const std::string& name = "kepsil-e2e-out");
  // Sends the menu command and waits for the requester it opens.
  HWND OpenRequester(int command);
  // Waits until the program is idle again: its main window enabled and no other window shown, for
  // long enough that a progress window opening after a requester has closed is not missed.
  bool WaitUntilDone(DWORD timeoutMs = 30000);
  // Ends the program with Exit and reads back the settings it saved.
  void ExitAndReadPrefs(int32_t (&values)[14], std::vector<std::string>& strings);

 private:
  std::string outputFolder_;
};
