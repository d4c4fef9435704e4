// A library named OCI.DLL that is not an Oracle client: planted beside a table, it must never
// be loaded. When it is, it leaves a file where MARLIN_PLANTED_MARKER says and refuses to load.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("MARLIN_PLANTED_MARKER", marker, sizeof(marker)) > 0) {
        HANDLE file = ::CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
    return FALSE;
}
