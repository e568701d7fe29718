#include "tools/driver/kepsil_process.h"

#include "core/code_page_win.h"
#include "tools/driver/window_driver.h"

namespace {

constexpr int kExitCommand = 10;

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = Utf8(found.cFileName);
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(path).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Wide(folder).c_str());
}

}  // namespace

KepsilProcess::~KepsilProcess() {
  if (IsRunning()) Kill();
  CloseHandles();
  if (ownsFolder_) RemoveFolder();
}

bool KepsilProcess::Prepare(const std::string& programPath, const std::string& folderName) {
  wchar_t temp[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, temp)) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = Utf8(temp) + folderName + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount()) + "-" + std::to_string(attempt);
    if (CreateDirectoryW(Wide(candidate).c_str(), nullptr)) {
      folder_ = candidate + "\\";
      ownsFolder_ = true;
      return CopyFileW(Wide(programPath).c_str(), Wide(ProgramPath()).c_str(), FALSE) != 0;
    }
  }
  return false;
}

void KepsilProcess::UseFolder(const std::string& folder) {
  folder_ = folder;
  if (!folder_.empty() && folder_.back() != '\\') folder_ += '\\';
  ownsFolder_ = false;
}

bool KepsilProcess::Start(const std::string& arguments) {
  CloseHandles();
  mainWindow_ = nullptr;
  std::string commandLine = "\"" + ProgramPath() + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::wstring wideLine = Wide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr, Wide(folder_).c_str(),
                        &startup, &info_) != 0;
}

bool KepsilProcess::IsRunning() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND KepsilProcess::WaitForMainWindow(DWORD timeoutMs) {
  WaitUntil([&] {
    mainWindow_ = FindProcessWindow(Id(), "KepSil!");
    return mainWindow_ != nullptr || !IsRunning();
  }, timeoutMs);
  if (mainWindow_) WaitForStartUpEnd(mainWindow_, timeoutMs);
  return mainWindow_;
}

HWND KepsilProcess::ListView() const {
  return mainWindow_ ? FindChild(mainWindow_, "SysListView32") : nullptr;
}

bool KepsilProcess::Exit(DWORD timeoutMs) {
  if (!mainWindow_ || !IsRunning()) return false;
  PostCommand(mainWindow_, kExitCommand);
  return WaitForExit(timeoutMs);
}

bool KepsilProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!info_.hProcess) return false;
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

void KepsilProcess::Kill() {
  if (!info_.hProcess) return;
  TerminateProcess(info_.hProcess, 1);
  WaitForSingleObject(info_.hProcess, 5000);
}

void KepsilProcess::RemoveFolder() {
  if (folder_.empty()) return;
  std::string folder = folder_;
  folder.pop_back();
  // The program file may stay locked for a moment after the process ended.
  WaitUntil([&] {
    RemoveTree(folder);
    return GetFileAttributesW(Wide(folder).c_str()) == INVALID_FILE_ATTRIBUTES;
  }, 2000);
}

void KepsilProcess::CloseHandles() {
  if (info_.hThread) CloseHandle(info_.hThread);
  if (info_.hProcess) CloseHandle(info_.hProcess);
  info_ = PROCESS_INFORMATION{};
}
