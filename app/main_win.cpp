// Entry point of kepsil.exe: start-up, the main loop, shutdown.
#include <windows.h>

#include "app/command_line.h"
#include "app/main_loop.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "core/code_page_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The wide command line: a board's name may hold letters the ANSI code page has not.
  const wchar_t* commandLine = GetCommandLineW();
  StartUp(ArgumentsAfterProgramName(commandLine ? Utf8(commandLine) : std::string()));
  RunMainLoop();
  ShutDown();
}
