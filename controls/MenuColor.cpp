// Lightening a colour towards white.
#include "controls/MenuColor.h"

COLORREF lightenColor(COLORREF colour, double factor) {
    if (!(factor > 0.0 && factor <= 1.0))
        return colour;
    auto lighten = [factor](int channel) {
        return static_cast<BYTE>(channel + factor * (255 - channel));
    };
    return RGB(lighten(GetRValue(colour)), lighten(GetGValue(colour)), lighten(GetBValue(colour)));
}
