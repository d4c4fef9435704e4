// Windows half of Console: the console's handles, its echo, and its wide characters.
#include "cli/Console.h"

#include "cli/ConsoleEvents.h"
#include "platform/CodePage.h"
#include "platform/WideText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <vector>

namespace console {

namespace {

HANDLE handleOf(Stream stream) {
    return GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

// Turns the console's echo off for its lifetime and back on at every way out.
class EchoOff {
  public:
    explicit EchoOff(HANDLE input) : input_(input), restore_(GetConsoleMode(input, &saved_)) {
        if (restore_)
            SetConsoleMode(input_, saved_ & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }
    ~EchoOff() {
        if (restore_)
            SetConsoleMode(input_, saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    HANDLE input_;
    DWORD saved_ = 0;
    bool restore_;
};

} // namespace

bool isTerminal(Stream stream) {
    return isConsole(handleOf(stream));
}

bool inputIsTerminal() {
    return isConsole(GetStdHandle(STD_INPUT_HANDLE));
}

std::size_t terminalColumns(Stream stream) {
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (!GetConsoleScreenBufferInfo(handleOf(stream), &screen))
        return 0;
    return static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
}

void write(Stream stream, const std::string& text) {
    std::FILE* file = stream == Stream::Output ? stdout : stderr;
    std::fflush(file);
    const HANDLE handle = handleOf(stream);
    // A console shows its own code page; going through wide text shows every character.
    if (isConsole(handle)) {
        const std::wstring wide = platform::wideFromUtf8(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string ansi = platform::localFromUtf8(text);
    std::fwrite(ansi.data(), 1, ansi.size(), file);
    std::fflush(file);
}

void protectStandardStreams() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (_get_osfhandle(descriptor) != -1)
            continue;
        const int opened = _open("NUL", descriptor == 0 ? _O_RDONLY : _O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            _dup2(opened, descriptor);
            _close(opened);
        }
    }
}

namespace {

// The line typed on the console, without echo.
std::optional<std::string> readHiddenLine(const char* prompt, const ConsoleEvents& events) {
    write(Stream::Error, prompt);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::optional<std::string> line;
    {
        EchoOff echoOff(input);
        std::wstring typed;
        wchar_t letter = 0;
        DWORD count = 0;
        // Ctrl+C ends the read early; the stop request then decides.
        while (ReadConsoleW(input, &letter, 1, &count, nullptr) && count == 1 &&
               !events.stopRequested()) {
            if (letter == L'\n') {
                line = withoutLineMarks(platform::utf8FromWide(typed));
                break;
            }
            if (letter != L'\r')
                typed += letter;
        }
        // Ctrl+C aborts the read before its handler, on a thread of its own, has said so.
        if (!line && ::GetLastError() == ERROR_OPERATION_ABORTED)
            for (int wait = 0; wait < 100 && !events.stopRequested(); ++wait)
                ::Sleep(10);
        if (events.stopRequested())
            line.reset();
    }
    write(Stream::Error, "\n");
    return line;
}

} // namespace

std::optional<std::string> readPassword(const ConsoleEvents& events) {
    if (!inputIsTerminal()) {
        std::string line;
        // A last line without its line break still counts.
        if (!std::getline(std::cin, line) && line.empty())
            return std::nullopt;
        return typedLineInUtf8(line);
    }
    return readHiddenLine("Password: ", events);
}

} // namespace console
