// Windows half of ChildProcess: CreateProcessA with three inherited pipe ends.
#include "cli/ChildProcess.h"

#include <windows.h>

#include <stdexcept>

namespace {

// A pipe of which the child inherits only the end it uses: the read end when it reads.
void makePipe(HANDLE& readEnd, HANDLE& writeEnd, bool childReads) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0))
        throw std::runtime_error("no pipe for the child process");
    SetHandleInformation(childReads ? writeEnd : readEnd, HANDLE_FLAG_INHERIT, 0);
}

std::string commandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = "\"" + program + "\"";
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
    return line;
}

} // namespace

// Only the input of the setup: the rest is for POSIX tests.
ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildSetup& setup) {
    const std::string& input = setup.input;
    HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
    makePipe(inRead, inWrite, true);
    makePipe(outRead, outWrite, false);
    makePipe(errRead, errWrite, false);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION started{};
    std::string line = commandLine(program, arguments);
    // The program is looked for beside the test executable first.
    const BOOL ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &started);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (!ok)
        throw std::runtime_error("cannot start " + program);
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    outputPipe_ = outRead;
    errorPipe_ = errRead;
    DWORD written = 0;
    WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    CloseHandle(inWrite);
}

bool ChildProcess::readSome(void* pipe, std::string& text) {
    char buffer[4096];
    DWORD count = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) || count == 0)
        return false;
    text.append(buffer, count);
    return true;
}

void ChildProcess::sendSignal(int) {
    throw std::logic_error("signals are POSIX only");
}

int ChildProcess::processId() const {
    return static_cast<int>(GetProcessId(process_));
}

bool ChildProcess::endsWithin(int seconds) {
    if (WaitForSingleObject(process_, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(process_, static_cast<UINT>(-1));
    return false;
}

int ChildProcess::waitForExit() {
    WaitForSingleObject(process_, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process_, &status);
    CloseHandle(process_);
    CloseHandle(outputPipe_);
    CloseHandle(errorPipe_);
    return static_cast<int>(status);
}
