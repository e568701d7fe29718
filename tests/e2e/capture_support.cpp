#include "tests/e2e/capture_support.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

namespace {

// "ddmmyyyy-hhmmss-ms[-n]": the parts that order names by age within one day.
std::tuple<std::string, int, int> AgeKey(const std::string& name) {
  const size_t second = name.find('-', 9);
  const std::string time = name.substr(9, 6);
  const int millis = std::atoi(name.c_str() + second + 1);
  const size_t third = name.find('-', second + 1);
  const int counter = third == std::string::npos ? 0 : std::atoi(name.c_str() + third + 1);
  return {time, millis, counter};
}

// Pictures are written a moment after their row shows: every item has its own file besides the
// thumbnail and no file is half written.
bool ItemFilesSettled(const std::vector<std::string>& files) {
  const std::set<std::string> present(files.begin(), files.end());
  for (const std::string& file : files) {
    if (file.ends_with(".tmp")) return false;
    if (!file.ends_with(".clt")) continue;
    const std::string name = file.substr(0, file.size() - 4);
    if (!present.count(name + ".bmp") && !present.count(name + ".txt")) return false;
  }
  return true;
}

}  // namespace

bool NearColour(COLORREF actual, COLORREF expected, int tolerance) {
  if (actual == CLR_INVALID) return false;
  return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
         std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
         std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

void CaptureRun::StartWith(const PrefsFile& prefs) {
  WritePrefs(prefs);
  StartProgram();
}

bool CaptureRun::WaitForRows(int count, DWORD timeoutMs) {
  if (!WaitUntil([&] { return ListRowCount(List()) == count; }, timeoutMs)) return false;
  WaitUntil([&] { return ItemFilesSettled(ItemFiles()); }, timeoutMs);
  return true;
}

bool CaptureRun::RowsStay(int count, DWORD forMs) {
  return Settle(forMs) && ListRowCount(List()) == count;
}

std::vector<std::string> CaptureRun::ItemNames() {
  std::set<std::string> names;
  for (const std::string& file : ItemFiles()) names.insert(file.substr(0, file.rfind('.')));
  std::vector<std::string> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end(),
            [](const std::string& a, const std::string& b) { return AgeKey(a) < AgeKey(b); });
  return sorted;
}

std::vector<std::string> CaptureRun::ItemFiles() {
  std::vector<std::string> files = FilesIn(app_.WorkingDirectory());
  // The program's own data files, and their temporary copies while they are being rewritten.
  std::erase_if(files, [](const std::string& file) {
    return file == "prefs.dat" || file == "items.dat" || file == "prefs.dat.tmp" || file == "items.dat.tmp";
  });
  return files;
}

std::string CaptureRun::TextOf(const std::string& name) {
  std::vector<unsigned char> bytes;
  ReadFileContents(app_.WorkingFile(name + ".txt"), bytes);
  return {bytes.begin(), bytes.end()};
}

StoredItems CaptureRun::ExitAndReadItems() {
  StoredItems items;
  if (!app_.Exit()) {
    ADD_FAILURE() << "the program did not end after Exit";
    return items;
  }
  std::vector<unsigned char> bytes;
  if (!ReadFileContents(app_.WorkingFile("items.dat"), bytes)) {
    ADD_FAILURE() << "no items.dat";
    return items;
  }
  return ParseItemsFile(bytes.data(), bytes.size());
}

void CaptureRun::CommandOnRow(int row, int command) {
  TakeRow(row);
  PostCommand(Main(), command);
}
