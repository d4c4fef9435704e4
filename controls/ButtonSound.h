// A sound of the image button: what PlaySound is given, kept for as long as the button lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ButtonSound {
  public:
    // No sound.
    ButtonSound() = default;
    // PlaySound's name, module and flags; a null name is no sound. A name given as a number
    // (MAKEINTRESOURCE) stays that number. With SND_MEMORY the name points at a wave in
    // memory, a RIFF file whose header gives its size: all of it is copied, zero bytes
    // included. Memory that holds no RIFF header is no sound.
    ButtonSound(const char* name, HMODULE module, DWORD flags);

    bool isSet() const { return set_; }
    // The first argument for PlaySound: the name, the resource number or the copied wave.
    const char* soundArgument() const;
    HMODULE module() const { return module_; }
    DWORD flags() const { return flags_; }
    // The copied wave; empty unless the sound was given in memory.
    const std::vector<char>& wave() const { return wave_; }

    // Plays it as given (nothing when no sound is set).
    void play() const;

  private:
    bool set_ = false;
    std::string name_;
    UINT_PTR resourceNumber_ = 0;
    std::vector<char> wave_;
    HMODULE module_ = nullptr;
    DWORD flags_ = 0;
};
