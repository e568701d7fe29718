// The main loop: serves the window callback's requests, polls one event per pass, idles 10 ms.
#pragma once

// Runs until an Exit command has set Loop.QuitRequested.
void RunMainLoop();
// One pass: at most one request, then one event. Exposed for tests.
void RunLoopPass();
