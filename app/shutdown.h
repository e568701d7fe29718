// The end of the program: what it stores, what it releases, in which order.
#pragma once

// Runs after the main loop; never returns.
[[noreturn]] void ShutDown();
// Releases what the window layer and the image services hold, destroys the heap, ends the process.
[[noreturn]] void EndProcess();
