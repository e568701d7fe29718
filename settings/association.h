// Opening board files (.ksb) with the program by double click: the registry entries.
#pragma once

// Writes the association for this Windows version and tells the shell.
void RegisterBoardAssociation();
