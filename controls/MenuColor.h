// The colour arithmetic of the owner-drawn menu's looks.
#pragma once

#include <windows.h>

// Each of red, green and blue moved towards 255 by the factor (above 0, at most 1),
// truncated; any other factor returns the colour unchanged.
COLORREF lightenColor(COLORREF colour, double factor);
