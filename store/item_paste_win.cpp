// Putting items back on the clipboard and pasting them. Their action comes with the clipboard
// capture, which owns the guards that keep the program from capturing its own clipboard content;
// until then both leave the clipboard and the list as they are.
#include "store/item_actions.h"

void PutItemToClipboard() {}

void PasteItem(int32_t) {}
