// The detailed preview arrives with the popups; until then the commands that open it show nothing.
#include "ui/preview.h"

void ShowPreview(int32_t) {}
