// Owning aliases for the kernel handles of the Windows halves of the platform seam.
#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>

namespace platform {

struct KernelHandleDeleter {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE handle) { ::CloseHandle(handle); }
};
// CreateFileA reports failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleDeleter {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE handle) { ::CloseHandle(handle); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleDeleter>;
using UniqueFileHandle = UniqueHandle<HANDLE, FileHandleDeleter>;

} // namespace platform
