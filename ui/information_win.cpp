#include "ui/information.h"

#include <windows.h>
#include <richedit.h>

#include "core/app_state.h"
#include "core/texts.h"
#include "resources/resource_ids.h"
#include "ui/information_document.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr int kClientWidth = 465;
constexpr int kClientHeight = 550;
constexpr int kTextLeft = 5;
constexpr int kTextTop = 5;
constexpr int kTextWidth = 455;
constexpr int kTextHeight = 540;

}  // namespace

std::string InformationDocument(int32_t german) {
  const int id = german == 1 ? IDR_INFORMATION_DE : IDR_INFORMATION_EN;
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!bytes) return {};
  // A resource is not NUL-terminated; the control reads the copy up to its end.
  return std::string(bytes, SizeofResource(nullptr, found));
}

void ShowInformation() {
  const int mainWindow = Ui.MainWindow;
  HWND main = WindowHandle(mainWindow);
  EnableWindow(main, FALSE);
  const int window = NewWindow(-1, 0, 0, kClientWidth, kClientHeight, WS_CAPTION | WS_SYSMENU | WindowCentreOnScreen,
                               "Information", main);
  if (HWND handle = WindowHandle(window)) {
    BeginControls(handle);
    const int control = NewRichTextControl(-1, kTextLeft, kTextTop, kTextWidth, kTextHeight);
    if (HWND text = ControlHandle(control)) {
      SendMessageA(text, EM_SETREADONLY, TRUE, 0);
      // Lines wrap at the control's width; the layer's rich text control would otherwise scroll sideways.
      SendMessageA(text, EM_SETTARGETDEVICE, 0, 0);
      // The folder in use may be the user's own application-data folder: the user can find it here.
      const std::string document =
          WithFolderParagraph(InformationDocument(Texts.LanguageGerman), Text(DataFolderText), WorkingDirectory());
      SendMessageA(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(document.c_str()));
      SetFocus(text);
    }
    // Every other event is dropped until the window is asked to close (close box, Alt+F4, system menu).
    while (IsWindow(handle) && WaitEvent() != EventCloseRequest) {
    }
    // Enabled before the window goes, so that the activation returns to the main window.
    EnableWindow(main, TRUE);
    DisposeWindow(window);
  }
  EnableWindow(main, TRUE);
  SetCurrentWindow(mainWindow);
}
