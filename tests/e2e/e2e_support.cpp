#include "tests/e2e/e2e_support.h"

#include "core/code_page_win.h"
#include "core/commands.h"
#include "exchange/image/image_codecs.h"
#include "exchange/image/pixel_image.h"

namespace {

void PutInt(std::vector<unsigned char>& bytes, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(bits >> shift));
}

void PutString(std::vector<unsigned char>& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
}

}  // namespace

std::vector<unsigned char> PrefsFile::Bytes() const {
  std::vector<unsigned char> bytes;
  for (int32_t value : values) PutInt(bytes, value);
  for (const std::string& text : strings) PutString(bytes, text);
  return bytes;
}

bool PrefsFile::Read(const std::vector<unsigned char>& bytes, int32_t (&values)[14]) {
  if (bytes.size() < 56) return false;
  for (int i = 0; i < 14; ++i) {
    uint32_t bits = 0;
    for (int b = 3; b >= 0; --b) bits = (bits << 8) | bytes[static_cast<size_t>(i * 4 + b)];
    values[i] = static_cast<int32_t>(bits);
  }
  return true;
}

std::vector<unsigned char> ItemsDatBytes(const std::vector<ItemRecord>& records) {
  std::vector<unsigned char> bytes;
  PutInt(bytes, static_cast<int32_t>(records.size()));
  for (const ItemRecord& record : records) {
    PutInt(bytes, record.kind);
    PutInt(bytes, record.checked);
    PutString(bytes, record.name);
  }
  return bytes;
}

std::vector<unsigned char> ThumbnailPng(uint8_t red, uint8_t green, uint8_t blue) {
  PixelImage image;
  if (!AllocatePixelImage(image, 278, 60)) return {};
  for (int y = 0; y < 60; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < 278; ++x) {
      const bool square = x >= 4 && x < 56 && y >= 4 && y < 56;
      row[x * 3 + 0] = square ? blue / 2 : blue;
      row[x * 3 + 1] = square ? green / 2 : green;
      row[x * 3 + 2] = square ? red / 2 : red;
    }
  }
  std::vector<uint8_t> png;
  if (!EncodePng(image, DefaultImageQuality, png)) return {};
  return {png.begin(), png.end()};
}

std::vector<ItemRecord> ThreeItems() {
  return {{0, 0, "07122026-101503-300"}, {1, 1, "07122026-101502-200"}, {0, 0, "07122026-101501-100"}};
}

void E2eTest::SetUp() {
  ASSERT_TRUE(FileExists(ProgramPath())) << ProgramPath();
  ASSERT_TRUE(app_.Prepare(ProgramPath()));
}

void E2eTest::TearDown() {
  if (app_.IsRunning() && !(app_.MainWindow() && app_.Exit(10000))) app_.Kill();
}

std::string E2eTest::ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\') + 1) + "kepsil.exe";
}

void E2eTest::MakeWorkingDirectory() {
  CreateDirectoryW(Wide(app_.WorkingDirectory()).c_str(), nullptr);
}

void E2eTest::WritePrefs(const PrefsFile& prefs) {
  MakeWorkingDirectory();
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("prefs.dat"), prefs.Bytes()));
}

void E2eTest::WriteItems(const std::vector<ItemRecord>& records) {
  MakeWorkingDirectory();
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));
  uint8_t shade = 40;
  for (const ItemRecord& record : records) {
    shade = static_cast<uint8_t>(shade + 50);
    const std::vector<unsigned char> thumbnail = ThumbnailPng(shade, 200, static_cast<uint8_t>(255 - shade));
    ASSERT_FALSE(thumbnail.empty());
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(record.name + ".clt"), thumbnail));
    if (record.kind == 0) {
      ASSERT_TRUE(WriteFileContents(app_.WorkingFile(record.name + ".bmp"), thumbnail));
    } else {
      const std::string text = "text of " + record.name;
      ASSERT_TRUE(WriteFileContents(app_.WorkingFile(record.name + ".txt"), {text.begin(), text.end()}));
    }
  }
}

void E2eTest::StartProgram(const std::string& arguments) {
  ASSERT_TRUE(app_.Start(arguments));
  ASSERT_NE(app_.WaitForMainWindow(), nullptr) << "no window titled KepSil!";
  ASSERT_NE(List(), nullptr) << "no item list";
}

void E2eTest::StartLaterRun(const std::string& arguments) {
  MakeWorkingDirectory();
  StartProgram(arguments);
}

void E2eTest::SelectRow(int row) {
  ASSERT_TRUE(ListSelectRow(List(), row));
  ASSERT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == row; })) << "row " << row << " not selected";
}

void E2eTest::PressKeyOnRow(int row, int virtualKey) {
  SelectRow(row);
  if (HasFatalFailure()) return;
  ASSERT_TRUE(BringToFront(Main())) << "the main window did not come to the front";
  PostKey(List(), virtualKey);
}

void E2eTest::TakeRow(int row) {
  SelectRow(row);
  if (HasFatalFailure()) return;
  const bool checked = ListRowChecked(List(), row);
  for (const bool wanted : {!checked, checked}) {
    PostCommand(Main(), KeySpace);
    ASSERT_TRUE(WaitUntil([&] { return ListRowChecked(List(), row) == wanted; })) << "Space did not toggle row " << row;
  }
}

bool E2eTest::Settle(DWORD ms) {
  Sleep(ms);
  return WaitForPostedMessages(Main());
}

HWND E2eTest::WaitForRequester(DWORD timeoutMs) {
  return WaitForOtherWindow(app_.Id(), Main(), timeoutMs);
}

bool E2eTest::AnswerMessage(const std::string& title, DWORD timeoutMs) {
  HWND box = nullptr;
  const bool shown = WaitUntil([&] {
    for (HWND window : ProcessWindows(app_.Id(), true)) {
      if (WindowClass(window) == "#32770" && WindowTitle(window) == title) box = window;
    }
    return box != nullptr;
  }, timeoutMs);
  if (!shown) return false;
  PressDialogButton(box, IDOK);
  return WaitUntil([&] { return !IsWindow(box); }, timeoutMs);
}

void E2eTest::ExitProgram() {
  ASSERT_TRUE(app_.Exit()) << "the program did not end after Exit";
}
