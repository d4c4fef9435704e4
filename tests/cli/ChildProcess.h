// A program run as a child process, its standard streams on pipes, for tests of programs.
#pragma once

#include <string>
#include <vector>

// Starts the program with the arguments and the environment of this process, writes `input`
// to its standard input and closes that. Its standard error is read only after its standard
// output has ended, so the program must write less than a pipe holds (64 KiB) there.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& input = "");
    // Waits for the program if wait() was not called.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads standard output until it holds the text; false when the output ends first.
    bool waitForOutput(const std::string& text);
    // Sends a signal (POSIX only).
    void sendSignal(int signalNumber);
    // Waits for the end and returns the exit status; -1 when the program did not exit.
    int wait();

    // What the program wrote so far, with Windows' carriage returns removed.
    std::string output() const;
    std::string errors() const;

  private:
    // The platform halves: append one chunk of the pipe to the text (false at its end);
    // wait for the process and release it.
    bool readSome(void* pipe, std::string& text);
    int waitForExit();

    std::string output_;
    std::string errors_;
    int exitStatus_ = -1;
    bool ended_ = false;
    // The process and the read ends of its output and error pipes, as the platform has them.
    void* process_ = nullptr;
    void* outputPipe_ = nullptr;
    void* errorPipe_ = nullptr;
};
