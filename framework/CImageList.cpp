// Image lists over the common controls.
#include "framework/CImageList.h"

#include "framework/CWinApp.h"

bool CImageList::Create(int width, int height, UINT flags, int initialCount, int growCount) {
    ensureCommonControls();
    list_.reset(::ImageList_Create(width, height, flags, initialCount, growCount));
    return static_cast<bool>(list_);
}

int CImageList::add(HBITMAP image, COLORREF maskColour) {
    return list_ ? ::ImageList_AddMasked(list_.get(), image, maskColour) : -1;
}

int CImageList::addIcon(HICON icon) {
    return list_ ? ::ImageList_ReplaceIcon(list_.get(), -1, icon) : -1;
}

UniqueIcon CImageList::extractIcon(int index) const {
    if (index < 0 || index >= imageCount())
        return UniqueIcon();
    return UniqueIcon(::ImageList_GetIcon(list_.get(), index, ILD_NORMAL));
}

int CImageList::imageCount() const {
    return list_ ? ::ImageList_GetImageCount(list_.get()) : 0;
}

SIZE CImageList::imageSize() const {
    int width = 0;
    int height = 0;
    if (list_)
        ::ImageList_GetIconSize(list_.get(), &width, &height);
    return SIZE{width, height};
}
