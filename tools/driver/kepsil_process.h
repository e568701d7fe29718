// A copy of kepsil.exe in a temporary folder of its own, started and driven from another process.
// Paths and arguments are UTF-8. Each copy has its own "Clipboard" working directory beside it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class KepsilProcess {
 public:
  KepsilProcess() = default;
  ~KepsilProcess();
  KepsilProcess(const KepsilProcess&) = delete;
  KepsilProcess& operator=(const KepsilProcess&) = delete;

  // Makes a fresh temporary folder, its name starting with `folderName` (UTF-8, any script), and
  // copies the program into it; false when that fails.
  bool Prepare(const std::string& programPath, const std::string& folderName = "kepsil-e2e");
  // Uses an existing folder that already holds kepsil.exe (a second instance of the same copy).
  void UseFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  std::string ProgramPath() const { return folder_ + "kepsil.exe"; }
  // Path of a file in the copy's working directory.
  std::string WorkingFile(const std::string& name) const { return folder_ + "Clipboard\\" + name; }
  std::string WorkingDirectory() const { return folder_ + "Clipboard"; }

  // Starts the copy with a raw argument string (quote it yourself).
  bool Start(const std::string& arguments = "");
  bool IsRunning() const;
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }

  // Waits for the window titled "KepSil!" of this process (visible or not) and for the end of
  // start-up, when the window callback answers.
  HWND WaitForMainWindow(DWORD timeoutMs = 30000);
  HWND MainWindow() const { return mainWindow_; }
  // The item list view of the main window.
  HWND ListView() const;

  // Ends the program with its Exit command and waits for the process to end.
  bool Exit(DWORD timeoutMs = 15000);
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  void Kill();
  // Removes the temporary folder and everything in it (the process must have ended).
  void RemoveFolder();

 private:
  void CloseHandles();

  std::string folder_;
  bool ownsFolder_ = false;
  PROCESS_INFORMATION info_{};
  HWND mainWindow_ = nullptr;
};
