// The information window with the help and about text.
#pragma once

void ShowInformation();
