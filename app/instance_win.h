// What the running instance holds for its whole run.
#pragma once

#include <windows.h>

struct InstanceState {
  HANDLE Mutex = nullptr;  // "kepsil": the first instance holds it, a second one hands over
  HANDLE Heap = nullptr;   // the program's private heap
};
extern InstanceState Instance;
