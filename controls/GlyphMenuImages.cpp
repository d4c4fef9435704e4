// The image list shared by all menus: strips cut into images, washed and shadow copies.
#include "controls/GlyphMenuImages.h"

#include "controls/MenuColor.h"

#include <cstdint>

namespace {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colours; // top row first
};

BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A DIB pixel stores blue in its low byte; a COLORREF stores red there.
COLORREF swapRedBlue(uint32_t value) {
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

bool readPixels(HBITMAP bitmap, Pixels* pixels) {
    BITMAP description{};
    if (::GetObjectA(bitmap, sizeof(description), &description) != sizeof(description))
        return false;
    pixels->width = description.bmWidth;
    pixels->height = description.bmHeight;
    std::vector<uint32_t> raw(static_cast<size_t>(pixels->width) * pixels->height);
    BITMAPINFO info = topDownInfo(pixels->width, pixels->height);
    HDC screen = ::GetDC(nullptr);
    int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(pixels->height), raw.data(), &info,
                            DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (lines != pixels->height)
        return false;
    pixels->colours.resize(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        pixels->colours[i] = swapRedBlue(raw[i]);
    return true;
}

CBitmap makeBitmap(const std::vector<COLORREF>& colours, int width, int height) {
    BITMAPINFO info = topDownInfo(width, height);
    void* bits = nullptr;
    CBitmap bitmap;
    bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr)
        return CBitmap();
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < colours.size(); ++i)
        out[i] = swapRedBlue(colours[i]);
    ::GdiFlush();
    return bitmap;
}

std::vector<COLORREF> cutImage(const Pixels& strip, int left, int width) {
    std::vector<COLORREF> image;
    image.reserve(static_cast<size_t>(width) * strip.height);
    for (int y = 0; y < strip.height; ++y) {
        auto row = strip.colours.begin() + static_cast<ptrdiff_t>(y) * strip.width + left;
        image.insert(image.end(), row, row + width);
    }
    return image;
}

// Every pixel but the transparent ones lightened by 0.3.
std::vector<COLORREF> washed(std::vector<COLORREF> image, COLORREF transparent) {
    for (COLORREF& pixel : image)
        if (pixel != transparent)
            pixel = lightenColor(pixel, 0.3);
    return image;
}

// Every pixel but the transparent ones in the shadow colour.
std::vector<COLORREF> shadowed(std::vector<COLORREF> image, COLORREF transparent, COLORREF shadow) {
    for (COLORREF& pixel : image)
        if (pixel != transparent)
            pixel = shadow;
    return image;
}

} // namespace

GlyphMenuImages& GlyphMenuImages::shared() {
    static GlyphMenuImages images;
    return images;
}

bool GlyphMenuImages::addStrip(HBITMAP strip, const std::vector<UINT>& commands,
                               const StripOptions& options) {
    Pixels pixels;
    if (commands.empty() || !readPixels(strip, &pixels))
        return false;
    const int width = options.imageWidth;
    if (pixels.height != options.imageHeight ||
        pixels.width < width * static_cast<int>(commands.size()))
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (list_.GetSafeHandle() == nullptr &&
        !list_.Create(width, options.imageHeight, ILC_COLOR24 | ILC_MASK, 0, 8))
        return false;
    SIZE size = list_.imageSize();
    if (size.cx != width || size.cy != options.imageHeight)
        return false;
    for (size_t k = 0; k < commands.size(); ++k) {
        std::vector<COLORREF> image = cutImage(pixels, static_cast<int>(k) * width, width);
        std::vector<std::vector<COLORREF>> copies{image};
        if (options.withVariants) {
            copies.push_back(washed(image, options.transparent));
            copies.push_back(shadowed(image, options.transparent, options.shadow));
        }
        for (const auto& copy : copies) {
            if (!addOne(copy, options))
                return false;
            commands_.push_back(commands[k]);
        }
    }
    return true;
}

bool GlyphMenuImages::addOne(const std::vector<COLORREF>& pixels, const StripOptions& options) {
    CBitmap bitmap = makeBitmap(pixels, options.imageWidth, options.imageHeight);
    if (!bitmap)
        return false;
    if (!options.asIcons)
        return list_.add(bitmap.get(), options.transparent) >= 0;
    CImageList single;
    if (!single.Create(options.imageWidth, options.imageHeight, ILC_COLOR24 | ILC_MASK, 1, 1) ||
        single.add(bitmap.get(), options.transparent) < 0)
        return false;
    UniqueIcon icon = single.extractIcon(0);
    return icon && list_.addIcon(icon.get()) >= 0;
}

int GlyphMenuImages::find(UINT command) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < commands_.size(); ++i)
        if (commands_[i] == command)
            return static_cast<int>(i);
    return -1;
}

bool GlyphMenuImages::hasTriple(int index) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (index < 0 || static_cast<size_t>(index) + 2 >= commands_.size())
        return false;
    size_t i = static_cast<size_t>(index);
    return commands_[i] == commands_[i + 1] && commands_[i] == commands_[i + 2];
}

UniqueIcon GlyphMenuImages::icon(int index) const {
    std::lock_guard<std::mutex> guard(lock_);
    return list_.extractIcon(index);
}

int GlyphMenuImages::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return list_.imageCount();
}
