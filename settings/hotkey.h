// The show/hide hot key Alt + Ctrl + Space, sampled from the global key state.
#pragma once

// Called on every idle pass of the main loop.
void PollHotKey();
