// POSIX half of Console: file descriptors 0 to 2, the password and the terminal's echo.
#include "cli/Console.h"

#include "cli/ConsoleEvents.h"
#include "platform/CodePage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace console {

namespace {

// The terminal's settings from before the echo went off, and those without echo. Written by
// the main thread before it installs the handlers below, read by them.
termios savedTerminal{};
termios quietTerminal{};

// The signals that end the program while the password is typed (SIGINT and SIGTERM are stop
// requests, which end the read in order).
constexpr int kEndingSignals[] = {SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2};
constexpr std::size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

extern "C" void restoreEchoAndEnd(int signalNumber) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    // The handler was reset to the default when it ran: the signal, delivered again on the
    // return, ends the program as it would have.
    ::raise(signalNumber);
}

// After Ctrl+Z and fg the shell has given the terminal its own settings, echo on: the
// password typed next must not show.
extern "C" void turnEchoOffAgain(int) {
    const int savedErrno = errno;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &quietTerminal);
    errno = savedErrno;
}

// Turns the terminal's echo off for its lifetime and back on at every way out: its end, or a
// signal that ends the program meanwhile.
class EchoOff {
  public:
    EchoOff() : restore_(::tcgetattr(STDIN_FILENO, &savedTerminal) == 0) {
        if (!restore_)
            return;
        struct sigaction action {};
        action.sa_handler = restoreEchoAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        for (std::size_t index = 0; index < kEndingSignalCount; ++index)
            sigaction(kEndingSignals[index], &action, &previous_[index]);
        quietTerminal = savedTerminal;
        quietTerminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        struct sigaction resume {};
        resume.sa_handler = turnEchoOffAgain;
        sigemptyset(&resume.sa_mask);
        resume.sa_flags = SA_RESTART;
        sigaction(SIGCONT, &resume, &previousResume_);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quietTerminal);
    }
    ~EchoOff() {
        if (!restore_)
            return;
        sigaction(SIGCONT, &previousResume_, nullptr);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
        for (std::size_t index = 0; index < kEndingSignalCount; ++index)
            sigaction(kEndingSignals[index], &previous_[index], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    bool restore_;
    struct sigaction previous_[kEndingSignalCount] = {};
    struct sigaction previousResume_ = {};
};

// Waits until standard input has something to read or an event is queued; true for input.
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

// Standard input up to its first line break, a byte at a time so that nothing after the
// line is taken (a terminal hands over whole lines anyway). A stop request ends the wait.
std::optional<std::string> readInputLine(const ConsoleEvents& events) {
    std::string typed;
    char byte = 0;
    while (waitForInput(events)) {
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return typed.empty() ? std::nullopt : std::optional(typedLineInUtf8(typed));
        if (byte == '\n')
            return typedLineInUtf8(typed);
        typed += byte;
    }
    return std::nullopt;
}

} // namespace

void protectStandardStreams() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number: this one, as the ones below it are open by now.
        const int opened = ::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            ::dup2(opened, descriptor);
            ::close(opened);
        }
    }
}

bool isTerminal(Stream stream) {
    return ::isatty(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

bool inputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::size_t terminalColumns(Stream stream) {
    winsize size{};
    if (::ioctl(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO, TIOCGWINSZ, &size) != 0)
        return 0;
    return size.ws_col;
}

void write(Stream stream, const std::string& text) {
    std::FILE* file = stream == Stream::Output ? stdout : stderr;
    const std::string local = platform::localFromUtf8(text);
    std::fwrite(local.data(), 1, local.size(), file);
    std::fflush(file);
}

std::optional<std::string> readPassword(const ConsoleEvents& events) {
    if (!inputIsTerminal())
        return readInputLine(events);
    write(Stream::Error, "Password: ");
    std::optional<std::string> line;
    {
        EchoOff echoOff;
        line = readInputLine(events);
    }
    // The user's Enter was not echoed either.
    write(Stream::Error, "\n");
    return line;
}

} // namespace console
