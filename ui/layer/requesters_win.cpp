// Modal requesters: folder, open and save file, message box and the one-line text requester.
#include "ui/layer/requesters.h"

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "core/code_page_win.h"
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
  // A backslash in UTF-8 is always the separator.
  size_t split = defaultPath.rfind('\\');
  const std::wstring folder = Wide(split == std::string::npos ? "" : defaultPath.substr(0, split));
  const std::wstring file = Wide(split == std::string::npos ? defaultPath : defaultPath.substr(split + 1));
  std::vector<wchar_t> names(kNameBufferSize, L'\0');
  std::copy_n(file.begin(), std::min(file.size(), names.size() - 1), names.begin());
  const std::wstring filter = Wide(FilterOf(patterns));
  const std::wstring caption = Wide(title);

  ModalScope modal;
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = modal.Owner();
  ofn.lpstrFilter = patterns.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(patternIndex + 1);
  ofn.lpstrFile = names.data();
  ofn.nMaxFile = kNameBufferSize;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = caption.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (multiple) ofn.Flags |= OFN_ALLOWMULTISELECT;
  BOOL accepted = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  modal.Release();
  if (!accepted) return "";
  Chosen.patternIndex = static_cast<int>(ofn.nFilterIndex) - 1;

  // A multiple selection is the folder, then each name, each ended by a 0.
  names.back() = L'\0';
  const wchar_t* first = names.data();
  if (multiple && ofn.nFileOffset > 0 && names[ofn.nFileOffset - 1] == L'\0') {
    const std::wstring chosenFolder = first;
    Chosen.folder = Utf8(chosenFolder);
    const wchar_t* end = names.data() + names.size();
    for (const wchar_t* name = first + chosenFolder.size() + 1; name < end && *name;) {
      const size_t length = wcsnlen(name, static_cast<size_t>(end - name));
      Chosen.names.push_back(Utf8(std::wstring_view(name, length)));
      name += length + 1;
    }
  } else {
    Chosen.names.push_back(Utf8(first));
  }
  return NextChosenFile();
}

int CALLBACK FolderCallback(HWND dialog, UINT message, LPARAM, LPARAM initial) {
  if (message == BFFM_INITIALIZED && initial) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, initial);
    // WORKAROUND: Wine's dialog has not settled on the folder when it first shows (OK at once
    // gives the profile folder); selecting again from the queue settles it.
    PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, initial);
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
  // A drive root keeps its backslash: "C:" alone would mean that drive's current folder.
  std::string start = initialFolder;
  if (start.size() > 3 && start.back() == '\\') start.pop_back();
  const std::wstring initial = Wide(start);
  const std::wstring caption = Wide(title);
  // The new dialog style needs COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ModalScope modal;
  BROWSEINFOW info{};
  info.hwndOwner = modal.Owner();
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = FolderCallback;
  // The callback is called while the dialog runs, so the string outlives every use.
  info.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  modal.Release();
  std::string result;
  if (chosen) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(chosen, path) && path[0]) {
      result = Utf8(path);
      if (result.back() != '\\') result += '\\';
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}

int ShowMessage(const std::string& title, const std::string& text, unsigned flags) {
  ModalScope modal;
  int button = MessageBoxW(modal.Owner(), Wide(text).c_str(), Wide(title).c_str(), flags);
  modal.Release();
  return button;
}
