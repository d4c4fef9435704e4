// Finding, reading and closing the program's message boxes from another thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace apptest {

// What a shown message box holds.
struct BoxContents {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::string text;
    int lineCount = 0;
    std::vector<int> lineLengths;
    RECT rect{};
};

// The open message boxes of this process (caption "Crate Courier").
std::vector<HWND> openBoxes();
// Waits up to the timeout for count boxes to be open; returns them (fewer on timeout).
std::vector<HWND> waitForBoxes(size_t count, DWORD timeoutMilliseconds = 5000);
BoxContents readBox(HWND box);
// Posts one click on the box's OK button, as a user's click sends it, and returns at once.
void postOkClick(HWND box);
// Presses the box's OK button as a user's click does. From another thread than the box's it
// waits until the box is hidden, clicking again if a click was lost.
void clickOk(HWND box);
// Presses Esc in the box.
void pressEscape(HWND box);

} // namespace apptest
