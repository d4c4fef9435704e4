// Capturing and painting back a parent's background.
#include "controls/ButtonBackground.h"

void ButtonBackground::paint(HWND control, CDC& dc, const RECT& rect) {
    HWND parent = ::GetParent(control);
    if (backDC_.GetSafeHdc() == nullptr && parent != nullptr) {
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
        const int width = place.right - place.left;
        const int height = place.bottom - place.top;
        HDC parentDc = ::GetDC(parent);
        if (backDC_.CreateCompatibleDC(&dc) &&
            backBitmap_.createCompatibleBitmap(dc.GetSafeHdc(), width, height)) {
            backOldBitmap_ = backDC_.selectObject(backBitmap_.object());
            backDC_.bitBlt(0, 0, width, height, parentDc, place.left, place.top, SRCCOPY);
        }
        ::ReleaseDC(parent, parentDc);
    }
    if (backBitmap_)
        dc.bitBlt(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, backDC_, 0,
                  0, SRCCOPY);
}

void ButtonBackground::discard() {
    if (backDC_.GetSafeHdc() != nullptr && backOldBitmap_ != nullptr)
        backDC_.selectObject(backOldBitmap_);
    backOldBitmap_ = nullptr;
    backDC_.DeleteDC();
    backBitmap_.reset();
}
