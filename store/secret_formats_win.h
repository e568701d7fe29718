// Reads the "do not record" marks of the clipboard's current content.
#pragma once

#include "store/secret_formats.h"

// The clipboard must be open (by the caller). Registers the three formats on first use.
ClipboardMarks ReadClipboardMarks();
