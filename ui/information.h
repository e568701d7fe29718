// The information window with the help and about text.
#pragma once

#include <cstdint>
#include <string>

// The built-in RTF document of a language (German when `german` is 1, else English); empty when
// the program carries no such resource.
std::string InformationDocument(int32_t german);

// Opens the window "Information" with the document of the current language in a read-only rich
// text control, centred on the screen, and returns when it has been closed. The main window is
// disabled meanwhile and enabled again however the window is closed.
void ShowInformation();
