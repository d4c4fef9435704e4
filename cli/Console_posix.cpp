// POSIX half of Console: file descriptors 0 to 2 and the terminal's echo.
#include "cli/Console.h"

#include "cli/ConsoleEvents.h"
#include "platform/CodePage.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace console {

namespace {

// Turns the terminal's echo off for its lifetime and back on at every way out.
class EchoOff {
  public:
    EchoOff() : restore_(::tcgetattr(STDIN_FILENO, &saved_) == 0) {
        if (!restore_)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff() {
        if (restore_)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    termios saved_{};
    bool restore_;
};

// Waits until the terminal has input or an event is queued; true for input.
bool waitForInput(const ConsoleEvents& events) {
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {events.descriptor(), POLLIN, 0}};
    for (;;) {
        if (events.stopRequested())
            return false;
        const int ready = ::poll(watched, 2, -1);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0 && watched[1].revents != 0)
            return false;
        if (ready > 0 && watched[0].revents != 0)
            return true;
    }
}

} // namespace

bool isTerminal(Stream stream) {
    return ::isatty(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

bool inputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void write(Stream stream, const std::string& text) {
    std::FILE* file = stream == Stream::Output ? stdout : stderr;
    const std::string local = platform::localFromUtf8(text);
    std::fwrite(local.data(), 1, local.size(), file);
    std::fflush(file);
}

std::optional<std::string> readHiddenLine(const char* prompt, const ConsoleEvents& events) {
    write(Stream::Error, prompt);
    std::optional<std::string> line;
    {
        EchoOff echoOff;
        // The terminal hands over whole lines, so reading byte by byte costs nothing.
        std::string typed;
        char byte = 0;
        while (waitForInput(events) && ::read(STDIN_FILENO, &byte, 1) == 1) {
            if (byte == '\n') {
                line = platform::utf8FromLocal(typed);
                break;
            }
            typed += byte;
        }
    }
    // The user's Enter was not echoed either.
    write(Stream::Error, "\n");
    return line;
}

} // namespace console
