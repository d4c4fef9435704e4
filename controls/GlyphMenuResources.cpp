// Finding and reading the resources of owner-drawn menus.
#include "controls/GlyphMenuResources.h"

namespace glyphmenu {

namespace {

HMODULE moduleOfThisCode() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<const char*>(&moduleOfThisCode), &module);
    return module;
}

// The first non-null result of load for the module of this code and for the process.
template <typename Load> auto fromModules(Load load) -> decltype(load(HMODULE{})) {
    HMODULE own = moduleOfThisCode();
    HMODULE process = ::GetModuleHandleA(nullptr);
    if (own != nullptr)
        if (auto loaded = load(own))
            return loaded;
    return own != process ? load(process) : decltype(load(HMODULE{})){};
}

const char* const kToolbarType = MAKEINTRESOURCEA(241);

} // namespace

HMENU loadMenuResource(const char* name) {
    return fromModules([name](HMODULE module) { return ::LoadMenuA(module, name); });
}

HBITMAP loadBitmapResource(const char* name) {
    return fromModules([name](HMODULE module) {
        return static_cast<HBITMAP>(
            ::LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    });
}

std::vector<UINT> toolbarCommands(UINT toolbarId, int imageWidth, int imageHeight) {
    const char* name = MAKEINTRESOURCEA(toolbarId);
    HMODULE module = fromModules([name](HMODULE candidate) {
        return ::FindResourceA(candidate, name, kToolbarType) != nullptr ? candidate : nullptr;
    });
    HRSRC resource = module != nullptr ? ::FindResourceA(module, name, kToolbarType) : nullptr;
    HGLOBAL data = resource != nullptr ? ::LoadResource(module, resource) : nullptr;
    const DWORD bytes = resource != nullptr ? ::SizeofResource(module, resource) : 0;
    const auto* words = static_cast<const WORD*>(data != nullptr ? ::LockResource(data) : nullptr);
    // Version 1, image width, image height, button count, then one command id per button.
    std::vector<UINT> commands;
    if (words == nullptr || bytes < 8 || words[0] != 1 || words[1] != imageWidth ||
        words[2] != imageHeight || bytes < 8u + 2u * words[3])
        return commands;
    for (WORD i = 0; i < words[3]; ++i)
        if (words[4 + i] != 0)
            commands.push_back(words[4 + i]);
    return commands;
}

} // namespace glyphmenu
