// Modal requesters: folder, open and save file, message box and the one-line text requester.
#include "ui/layer/requesters.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/layer/modal_scope_win.h"

namespace {

constexpr int kNameBufferSize = 10000;

struct FileChoice {
  std::string folder;              // of a multiple selection
  std::vector<std::string> names;  // full paths when folder is empty
  size_t next = 0;
  int patternIndex = 0;
};
FileChoice Chosen;

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// "a|b|c|d" becomes "a\0b\0c\0d\0\0" as the dialogs want it.
std::string FilterOf(const std::string& patterns) {
  std::string filter = patterns;
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

std::string AskFile(bool save, const std::string& title, const std::string& defaultPath,
                    const std::string& patterns, int patternIndex, bool multiple) {
  Chosen = FileChoice{};
  Chosen.patternIndex = patternIndex;
  size_t split = defaultPath.rfind('\\');
  std::string folder = split == std::string::npos ? "" : defaultPath.substr(0, split);
  std::string file = split == std::string::npos ? defaultPath : defaultPath.substr(split + 1);
  std::vector<char> names(kNameBufferSize, '\0');
  std::copy_n(file.begin(), std::min(file.size(), names.size() - 1), names.begin());
  std::string filter = FilterOf(patterns);

  ModalScope modal;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = modal.Owner();
  ofn.lpstrFilter = patterns.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(patternIndex + 1);
  ofn.lpstrFile = names.data();
  ofn.nMaxFile = kNameBufferSize;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (multiple) ofn.Flags |= OFN_ALLOWMULTISELECT;
  BOOL accepted = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  modal.Release();
  if (!accepted) return "";
  Chosen.patternIndex = static_cast<int>(ofn.nFilterIndex) - 1;

  // A multiple selection is the folder, then each name, each ended by a 0.
  names.back() = '\0';
  const char* first = names.data();
  if (multiple && ofn.nFileOffset > 0 && names[ofn.nFileOffset - 1] == '\0') {
    Chosen.folder = first;
    const char* end = names.data() + names.size();
    for (const char* name = first + Chosen.folder.size() + 1; name < end && *name;) {
      size_t length = strnlen(name, static_cast<size_t>(end - name));
      Chosen.names.emplace_back(name, length);
      name += length + 1;
    }
  } else {
    Chosen.names.push_back(first);
  }
  return NextChosenFile();
}

int CALLBACK FolderCallback(HWND dialog, UINT message, LPARAM, LPARAM initial) {
  if (message == BFFM_INITIALIZED && initial) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initial);
    // WORKAROUND: Wine's dialog has not settled on the folder when it first shows (OK at once
    // gives the profile folder); selecting again from the queue settles it.
    PostMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initial);
  }
  return 0;
}

}  // namespace

std::string AskOpenFile(const std::string& title, const std::string& defaultPath, const std::string& patterns,
                        int patternIndex, bool multiple) {
  return AskFile(false, title, defaultPath, patterns, patternIndex, multiple);
}

std::string AskSaveFile(const std::string& title, const std::string& defaultPath, const std::string& patterns,
                        int patternIndex) {
  return AskFile(true, title, defaultPath, patterns, patternIndex, false);
}

std::string NextChosenFile() {
  if (Chosen.next >= Chosen.names.size()) return "";
  return JoinPath(Chosen.folder, Chosen.names[Chosen.next++]);
}

int ChosenPatternIndex() { return Chosen.patternIndex; }

std::string AskFolder(const std::string& title, const std::string& initialFolder) {
  using BrowseFn = LPITEMIDLIST(WINAPI*)(LPBROWSEINFOA);
  using PathFn = BOOL(WINAPI*)(LPCITEMIDLIST, LPSTR);
  HMODULE shell = LoadLibraryA("SHELL32.DLL");
  if (!shell) return "";
  auto browse = reinterpret_cast<BrowseFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHBrowseForFolderA")));
  auto pathOf = reinterpret_cast<PathFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetPathFromIDListA")));
  std::string result;
  if (browse && pathOf) {
    // A drive root keeps its backslash: "C:" alone would mean that drive's current folder.
    std::string initial = initialFolder;
    if (initial.size() > 3 && initial.back() == '\\') initial.pop_back();
    // The new dialog style needs COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ModalScope modal;
    BROWSEINFOA info{};
    info.hwndOwner = modal.Owner();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = FolderCallback;
    info.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
    LPITEMIDLIST chosen = browse(&info);
    modal.Release();
    if (chosen) {
      char path[MAX_PATH] = {};
      if (pathOf(chosen, path) && path[0]) {
        result = path;
        if (result.back() != '\\') result += '\\';
      }
      CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
  }
  FreeLibrary(shell);
  return result;
}

int ShowMessage(const std::string& title, const std::string& text, unsigned flags) {
  ModalScope modal;
  int button = MessageBoxA(modal.Owner(), text.c_str(), title.c_str(), flags);
  modal.Release();
  return button;
}
