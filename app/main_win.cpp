// Entry point of kepsil.exe: start-up, the main loop, shutdown.
#include <windows.h>

#include "app/main_loop.h"
#include "app/shutdown.h"
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  StartUp(arguments ? arguments : "");
  RunMainLoop();
  ShutDown();
}
