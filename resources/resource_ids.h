// Identifiers of the data resources built into kepsil.exe (resources/documents.rc).
// The program icon is icon 1 (resources/kepsil.rc). Plain #defines: the resource compiler reads this too.
#pragma once

// The information window's documents: RTF in code page 1252, resource type RCDATA.
#define IDR_INFORMATION_EN 201
#define IDR_INFORMATION_DE 202

// The capture chime: a RIFF/WAVE file, resource type "WAVE" (so PlaySound can also take it by
// SND_RESOURCE; the program plays it from memory).
#define IDR_NOTIFICATION_SOUND 203
