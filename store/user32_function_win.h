// Functions of user32 looked up at run time, so that the program still starts on a system without
// them.
#pragma once

#include <windows.h>

// The function of that name and type, nullptr where the system has none.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}
