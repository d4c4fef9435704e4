// Helpers for the window tests under Wine: pumping messages, finding the windows a test
// opened, reading controls and saving screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

// Pixels, each one colour, row by row from the top.
struct Rendering {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The smallest rectangle holding every pixel of the colour inside the inset frame;
    // empty when there is none.
    RECT boundsOf(COLORREF colour, int inset) const;
    bool holds(COLORREF colour, const RECT& area) const;
    // How many pixels of the area have the colour.
    int count(COLORREF colour, const RECT& area) const;
};
// The pixels of what draw puts on a memory DC of a width by height bitmap.
Rendering renderWith(int width, int height, const std::function<void(HDC)>& draw);

// A picture of the window as the user sees it: its client area as shown, with the frame and
// caption drawn around it. The window must be visible; empty when it cannot be taken.
Rendering windowPicture(HWND hwnd);
// The window's client area as the display shows it now, without asking the window to paint
// anything first: what it drew, and what it left undrawn or failed to erase. Empty when the
// window is gone.
Rendering clientAsShown(HWND hwnd);
// Writes the picture as a 24-bit BMP file; false when it cannot.
bool savePicture(const Rendering& picture, const std::string& path);
// windowPicture, saved; false when either fails.
bool saveWindowImage(HWND hwnd, const std::string& path);
// Where a window lies inside the picture of its top-level window.
RECT placeInPicture(HWND topLevel, HWND window);

// Real input through the system's input queue, as the user's mouse and keyboard give it.
void moveMouse(POINT screen);
void pressLeft();
void releaseLeft();
void clickAt(POINT screen);
void pressKey(WORD virtualKey);
// The key goes down `times` times before it comes up once, as when it is held.
void holdKey(WORD virtualKey, int times);
// The centre of a window in screen coordinates.
POINT centreOf(HWND window);
// A point of the dialog's own surface, in screen coordinates, given in dialog units.
POINT dialogPoint(HWND dialog, int x, int y);

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
