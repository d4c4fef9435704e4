// Helpers for the window tests under Wine: pumping messages, finding the windows a test
// opened, reading controls and saving screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace guitest {

// Dispatches this thread's messages (through the PreTranslateMessage routing) for the
// given time.
void pumpFor(DWORD milliseconds);
// Pumps until condition holds or the time is up; returns the condition's last value.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds = 5000);

// A visible top-level window of this process with exactly this caption, waiting up to the
// timeout for it to appear. Null when none appears.
HWND waitForWindow(const std::string& caption, DWORD timeoutMilliseconds = 5000);
// Waits until no window of this process has the caption; false when one is still there.
bool waitForWindowGone(const std::string& caption, DWORD timeoutMilliseconds = 5000);

std::string windowText(HWND hwnd);

// Takes a picture of the window (its client area as shown, with the frame and caption
// drawn around it) and writes it as a 24-bit BMP file. The window must be visible.
bool saveWindowImage(HWND hwnd, const std::string& path);

// Sets the default value of HKEY_CLASSES_ROOT\subKey for the lifetime of the object and
// puts the previous state back afterwards.
class ClassesRootValue {
  public:
    ClassesRootValue(const std::string& subKey, const std::string& value);
    ~ClassesRootValue();
    ClassesRootValue(const ClassesRootValue&) = delete;
    ClassesRootValue& operator=(const ClassesRootValue&) = delete;
    bool written() const { return written_; }

  private:
    std::string subKey_;
    bool keyExisted_ = false;
    bool hadValue_ = false;
    std::string previous_;
    bool written_ = false;
};

} // namespace guitest
