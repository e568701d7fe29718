// Clearing the working folder of what a killed run left half-written.
#pragma once

#include <string>

// Deletes the leftover temporaries (IsLeftoverTemporary) directly in `folder`, not in its
// subfolders, and returns how many were deleted. Anything else is left as it is. Only safe while
// no write of the program is under way, that is at start-up.
int RemoveLeftoverTemporaries(const std::string& folder);
