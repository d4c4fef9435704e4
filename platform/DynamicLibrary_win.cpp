// Windows half of DynamicLibrary: the program's folder and the PATH searched by full path,
// LoadLibraryExW and GetProcAddress.
#include "platform/DynamicLibrary.h"

#include "platform/WideText.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring environmentVariable(const wchar_t* name) {
    const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

// "C:\..." or "\\server\...": a PATH entry that does not depend on the current folder.
bool isFullPath(const std::wstring& folder) {
    const bool drive =
        folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
    const bool share = folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\';
    return drive || share;
}

// The program's folder, then every full path of the PATH, in order.
std::vector<std::wstring> librarySearchFolders() {
    std::vector<std::wstring> folders{programFolder()};
    const std::wstring path = environmentVariable(L"PATH");
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find(L';', start);
        if (end == std::wstring::npos)
            end = path.size();
        std::wstring folder = path.substr(start, end - start);
        // An entry with blanks may be written in quotes.
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        if (isFullPath(folder))
            folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

LibraryHandle loadLibrary(const std::string& name) {
    const std::wstring wideName = wideFromAnsi(name);
    if (wideName.find_first_of(L"\\/:") != std::wstring::npos)
        return reinterpret_cast<LibraryHandle>(::LoadLibraryW(wideName.c_str()));
    // What lastLoadError() tells: why the last file found did not load, else that none was.
    DWORD failure = ERROR_MOD_NOT_FOUND;
    for (std::wstring folder : librarySearchFolders()) {
        if (folder.empty())
            continue;
        if (folder.back() != L'\\' && folder.back() != L'/')
            folder += L'\\';
        const std::wstring path = folder + wideName;
        if (!isFile(path))
            continue;
        // The library's own folder first for the libraries it loads in turn, as when the
        // system's search had found it there. A file that does not load (another bitness)
        // leaves the next folder its chance.
        if (HMODULE library =
                ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return reinterpret_cast<LibraryHandle>(library);
        failure = ::GetLastError();
    }
    ::SetLastError(failure);
    return nullptr;
}

void keepCurrentFolderOutOfLibrarySearch() {
    ::SetDllDirectoryW(L"");
}

std::string lastLoadError() {
    char text[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         ::GetLastError(), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

void* findSymbol(LibraryHandle library, const char* name) {
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace platform
