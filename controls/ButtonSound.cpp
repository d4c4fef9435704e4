// The image button's sounds, kept by name, by resource number or as the wave itself.
#include "controls/ButtonSound.h"

#include <mmsystem.h>

#include <cstdint>
#include <cstring>

namespace {

// "RIFF" and the 32-bit little-endian size of what follows.
constexpr std::size_t kRiffHeaderBytes = 8;
// A larger size is no wave a button plays: a damaged header.
constexpr std::uint32_t kLargestWaveBytes = 64u << 20;

// The bytes of the RIFF file at `wave`, as its header counts them; 0 when it has none.
std::size_t riffFileBytes(const char* wave) {
    if (std::memcmp(wave, "RIFF", 4) != 0)
        return 0;
    const auto* size = reinterpret_cast<const unsigned char*>(wave + 4);
    const std::uint32_t bytes =
        static_cast<std::uint32_t>(size[0]) | static_cast<std::uint32_t>(size[1]) << 8 |
        static_cast<std::uint32_t>(size[2]) << 16 | static_cast<std::uint32_t>(size[3]) << 24;
    return bytes <= kLargestWaveBytes ? kRiffHeaderBytes + bytes : 0;
}

} // namespace

ButtonSound::ButtonSound(const char* name, HMODULE module, DWORD flags)
    : module_(module), flags_(flags) {
    if (name == nullptr)
        return;
    // SND_RESOURCE carries the SND_MEMORY bit as well: a resource is named, not held.
    if ((flags & SND_RESOURCE) == SND_MEMORY) {
        // PlaySound reads the whole wave: a copy made as a text would end at its first zero.
        const std::size_t bytes = riffFileBytes(name);
        if (bytes == 0)
            return;
        wave_.assign(name, name + bytes);
    } else if (IS_INTRESOURCE(name)) {
        resourceNumber_ = reinterpret_cast<UINT_PTR>(name);
    } else {
        name_ = name;
    }
    set_ = true;
}

const char* ButtonSound::soundArgument() const {
    if (!wave_.empty())
        return wave_.data();
    if (resourceNumber_ != 0)
        return MAKEINTRESOURCEA(static_cast<WORD>(resourceNumber_));
    return name_.c_str();
}

void ButtonSound::play() const {
    if (set_)
        ::PlaySoundA(soundArgument(), module_, flags_);
}
