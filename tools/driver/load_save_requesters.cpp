#include "tools/driver/load_save_requesters.h"

#include "core/code_page_win.h"
#include "tools/driver/window_driver.h"

namespace {

// Control identifiers of the common file dialog.
constexpr int kFileTypeBox = 0x470;      // cmb1
constexpr int kFileNameCombo = 0x47C;    // cmb13
constexpr int kFileNameEdit = 0x480;     // edt1

HWND FileNameBox(HWND dialog) {
  HWND name = GetDlgItem(dialog, kFileNameCombo);
  if (name) {
    if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) return edit;
    return name;
  }
  return GetDlgItem(dialog, kFileNameEdit);
}

void SetText(HWND control, const std::string& text) {
  const std::wstring wide = Wide(text);
  SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, 5000, nullptr);
}

std::string GetText(HWND control) {
  wchar_t text[2048] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                      &ignored);
  return Utf8(text);
}

void PressEnter(HWND control) {
  // The dialog's own loop turns Return into its default button.
  PostKey(control, VK_RETURN);
}

}  // namespace

bool AnswerFileRequester(HWND dialog, const std::string& fileName, int patternIndex) {
  HWND name = FileNameBox(dialog);
  if (!name) return false;
  if (patternIndex >= 0 && FileRequesterPattern(dialog) != patternIndex) {
    HWND types = GetDlgItem(dialog, kFileTypeBox);
    if (!types) return false;
    // Setting the selection by message does not tell the dialog; an arrow key in the box does, as
    // when the user picks the type. The selection goes next to the wanted one first.
    const int beside = patternIndex == 0 ? 1 : patternIndex - 1;
    SendMessageTimeoutA(types, CB_SETCURSEL, beside, 0, SMTO_NORMAL, 5000, nullptr);
    PostKey(types, patternIndex == 0 ? VK_UP : VK_DOWN);
    if (!WaitUntil([&] { return FileRequesterPattern(dialog) == patternIndex; })) return false;
    // The dialog takes the new type in full (its key release too, and what it posts itself on
    // the change) before the name is typed.
    WaitForPostedMessages(dialog);
    Sleep(100);
  }
  SetText(name, fileName);
  PressEnter(name);
  return true;
}

std::string FileRequesterName(HWND dialog) {
  HWND name = FileNameBox(dialog);
  return name ? GetText(name) : "";
}

int FileRequesterPattern(HWND dialog) {
  HWND types = GetDlgItem(dialog, kFileTypeBox);
  if (!types) return -1;
  DWORD_PTR selected = static_cast<DWORD_PTR>(-1);
  SendMessageTimeoutA(types, CB_GETCURSEL, 0, 0, SMTO_NORMAL, 5000, &selected);
  return static_cast<int>(selected);
}

std::string FileRequesterPatternText(HWND dialog) {
  // A drop-down list answers WM_GETTEXT with its selected entry.
  HWND types = GetDlgItem(dialog, kFileTypeBox);
  return types ? GetText(types) : "";
}

void CancelRequester(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void AcceptFolderRequester(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}
