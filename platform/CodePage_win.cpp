// Windows half of the OEM-to-ANSI conversion: the system's own OemToCharBuffA.
#include "platform/CodePage.h"

#include <windows.h>

namespace platform {

ByteTable oemToAnsiTable() {
    char oem[256];
    for (int byte = 0; byte < 256; ++byte)
        oem[byte] = static_cast<char>(byte);
    char ansi[256];
    ::OemToCharBuffA(oem, ansi, 256);
    ByteTable table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<unsigned char>(ansi[byte]);
    table[0] = 0;
    return table;
}

int ansiCodePage() {
    return static_cast<int>(::GetACP());
}

} // namespace platform
