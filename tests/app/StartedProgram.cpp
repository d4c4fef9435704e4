// Programs started by the tests and their windows.
#include "StartedProgram.h"

namespace apptest {

namespace fs = std::filesystem;

fs::path executableFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

StartedProgram::StartedProgram(const fs::path& program, const std::string& arguments,
                               const fs::path& currentFolder) {
    std::string line = "\"" + program.string() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    started_ = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                currentFolder.string().c_str(), &startup, &process_) != FALSE;
}

StartedProgram::~StartedProgram() {
    if (!started_)
        return;
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process_.hProcess, 99);
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
}

int StartedProgram::waitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::string caption; // any caption when empty
    HWND except;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter) {
    auto* wanted = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char text[128] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    if (owner != wanted->processId || !::IsWindowVisible(window) || window == wanted->except ||
        (!wanted->caption.empty() && wanted->caption != text))
        return TRUE;
    wanted->found = window;
    return FALSE;
}

} // namespace

HWND windowOf(DWORD processId, const std::string& caption, HWND except) {
    WindowSearch search{processId, caption, except, nullptr};
    ::EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindowOf(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    HWND window = windowOf(processId, caption);
    while (window == nullptr && ::GetTickCount() - start < timeoutMs) {
        ::Sleep(100);
        window = windowOf(processId, caption);
    }
    return window;
}

} // namespace apptest
