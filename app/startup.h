// Start-up: single instance, working directory, preferences, main window, items, window callback.
#pragma once

#include <string>

// Runs every start-up step with the command line's arguments (program name not included).
// A second instance hands its board over and ends the process here.
void StartUp(const std::string& arguments);
