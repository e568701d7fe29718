// The small window that lists the programs whose copies are ignored, where one can be removed.
#pragma once

// Opens it over the main window and returns once it is closed.
void ShowIgnoredPrograms();
