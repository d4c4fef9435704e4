// A program run as a child process, its standard streams on pipes, for tests of programs.
#pragma once

#include <string>
#include <vector>

// How a child's standard input is set up; POSIX only beyond `input`.
struct ChildSetup {
    std::string input;          // written to standard input
    bool keepInputOpen = false; // the pipe stays open after `input` until the child ends
    int inputDescriptor = -1;   // this descriptor (a terminal) is standard input instead
    int errorDescriptor = -1;   // this descriptor (a terminal) is standard error instead
    std::vector<int> closed;    // descriptors the child starts without (0 for "<&-")
};

// Starts the program with the arguments and the environment of this process, writes `input`
// to its standard input and closes that. Its standard error is read only after its standard
// output has ended, so the program must write less than a pipe holds (64 KiB) there.
class ChildProcess {
  public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& input = "");
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const ChildSetup& setup);
    // Waits for the program if wait() was not called.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads standard output until it holds the text; false when the output ends first.
    bool waitForOutput(const std::string& text);
    // Sends a signal (POSIX only).
    void sendSignal(int signalNumber);
    // POSIX only: the process id, and whether the program ends within `seconds`; when it
    // does not, it is killed so that the test goes on (and wait() then answers -1).
    int processId() const;
    bool endsWithin(int seconds);
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
    bool reaped_ = false; // endsWithin() has collected the end already
    int rawStatus_ = 0;
    void* inputPipe_ = nullptr; // the write end of standard input while it is kept open
    // The process and the read ends of its output and error pipes, as the platform has them.
    void* process_ = nullptr;
    void* outputPipe_ = nullptr;
    void* errorPipe_ = nullptr;
};

// The lines of a text, without their line breaks; a last line break ends the last line.
std::vector<std::string> linesOf(const std::string& text);
