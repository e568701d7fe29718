// The show/hide hot key Alt + Ctrl + Space, sampled from the global key state.
#pragma once

// Called on every idle pass of the main loop; true when the keys were just pressed together, which
// shows or hides the main window.
bool PollHotKey();
