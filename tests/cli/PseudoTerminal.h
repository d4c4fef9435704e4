// A pseudo-terminal for a child process's standard input or error (POSIX only): the test
// types on its master side, reads what the child wrote there, and watches the terminal's
// settings on its slave side.
#pragma once

#if !defined(_WIN32)

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

class PseudoTerminal {
  public:
    PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave_ < 0)
            throw std::runtime_error("no pseudo-terminal slave");
    }
    ~PseudoTerminal() {
        ::close(slave_);
        ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The descriptor to give the child.
    int slave() const { return slave_; }

    bool echoes() const {
        termios settings{};
        ::tcgetattr(slave_, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    // Turns the echo on or off, as a shell does when it takes the terminal back or gives it
    // to a job.
    void setEcho(bool on) const {
        termios settings{};
        ::tcgetattr(slave_, &settings);
        settings.c_lflag = on ? settings.c_lflag | ECHO : settings.c_lflag & ~tcflag_t{ECHO};
        ::tcsetattr(slave_, TCSANOW, &settings);
    }
    // Gives the terminal a width, as a window of that many columns has.
    void setColumns(unsigned short columns) const {
        winsize size{};
        size.ws_row = 24;
        size.ws_col = columns;
        ::ioctl(master_, TIOCSWINSZ, &size);
    }
    // Waits until the child has turned the echo off to read a password.
    bool waitForHiddenPrompt() const {
        for (int wait = 0; wait < 1000 && echoes(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !echoes();
    }
    void type(const std::string& keys) const { (void)!::write(master_, keys.data(), keys.size()); }

    // Everything written to the terminal that has not been read yet (after the child ended).
    std::string written() const {
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        std::string text;
        char buffer[4096];
        for (ssize_t count; (count = ::read(master_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(count));
        return text;
    }

  private:
    int master_;
    int slave_ = -1;
};

#endif
