// The ignored programs as the program keeps them, and which program a copy comes from.
#pragma once

#include <string>

#include "store/ignored_programs.h"

// The list in use: read from the working folder's ignored.dat at start, written when it changes.
IgnoredProgramList& IgnoredPrograms();
void LoadIgnoredPrograms();
// Writes the list (an empty one deletes the file); false when it could not be written.
bool SaveIgnoredPrograms();
