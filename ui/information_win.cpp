// The information window arrives with the popups; until then the command opens nothing.
#include "ui/information.h"

void ShowInformation() {}
