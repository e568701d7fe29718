// Texts between the ANSI code page of the system and Unicode.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The ANSI bytes as Unicode, by the system's ANSI code page.
std::wstring AnsiToWide(std::string_view ansi);
// The Unicode text in the ANSI code page; characters it cannot hold become the code page's
// default character ("?").
std::string WideToAnsi(std::wstring_view wide);
// Whether the ANSI code page holds the text exactly: converted there and back it is unchanged.
bool AnsiHolds(std::wstring_view wide);
