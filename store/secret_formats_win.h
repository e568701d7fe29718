// Reads the "do not record" marks of the clipboard's current content.
#pragma once

#include "store/clipboard_formats_win.h"
#include "store/secret_formats.h"

// The clipboard must be open (by the caller), `offered` listed from it. Registers the three
// formats on first use.
ClipboardMarks ReadClipboardMarks(const OfferedFormats& offered);
