// The off-screen surface of the flat menu look.
#include "controls/GlyphMenuMemDC.h"

GlyphMenuMemDC::GlyphMenuMemDC(CDC* target, const RECT& rect) : target_(target), rect_(rect) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (!target->isPrinting() && width > 0 && height > 0 && CreateCompatibleDC(target) &&
        bitmap_.createCompatibleBitmap(target->GetSafeHdc(), width, height)) {
        previousBitmap_ = selectObject(bitmap_.object());
        setWindowOrg(rect.left, rect.top);
        buffering_ = true;
        return;
    }
    DeleteDC();
    Attach(target->GetSafeHdc());
}

GlyphMenuMemDC::~GlyphMenuMemDC() {
    if (!buffering_) {
        Detach();
        return;
    }
    target_->bitBlt(rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
                    *this, rect_.left, rect_.top, SRCCOPY);
    selectObject(previousBitmap_);
    // The bitmap, no longer selected, is deleted next; the base then deletes the DC.
}
