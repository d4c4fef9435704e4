// The program started as a process of its own, as a user starts it, and its windows found
// from outside.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace apptest {

// The folder of the running test executable, where the build puts the programs too.
std::filesystem::path executableFolder();

// A program started by the test, ended by it when the test did not see it end.
class StartedProgram {
  public:
    StartedProgram(const std::filesystem::path& program, const std::string& arguments,
                   const std::filesystem::path& currentFolder);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool started() const { return started_; }
    DWORD processId() const { return process_.dwProcessId; }
    // The exit code, or -1 when the program is still running after the wait.
    int waitForExit(DWORD timeoutMs);

  private:
    bool started_ = false;
    PROCESS_INFORMATION process_{};
};

// A visible top-level window of the process with the caption (any caption when empty).
HWND windowOf(DWORD processId, const std::string& caption, HWND except = nullptr);
// windowOf, waiting up to the timeout for it to appear; null when none does.
HWND waitForWindowOf(DWORD processId, const std::string& caption, DWORD timeoutMs = 15000);

} // namespace apptest
