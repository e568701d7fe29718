// Texts between the program's UTF-8 strings, the UTF-16 of the wide Win32 calls and the system's
// ANSI code page (with core/unicode_text.h, the only place that converts).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A program string (UTF-8) for a wide Win32 call.
std::wstring Wide(std::string_view utf8);
// What a wide Win32 call gave, as a program string (UTF-8).
std::string Utf8(std::wstring_view wide);

// The ANSI bytes as Unicode, by the system's ANSI code page.
std::wstring AnsiToWide(std::string_view ansi);
// The Unicode text in the ANSI code page; characters it cannot hold become the code page's
// default character ("?").
std::string WideToAnsi(std::wstring_view wide);
// Whether the ANSI code page holds the text exactly: converted there and back it is unchanged.
bool AnsiHolds(std::wstring_view wide);
