// The Oracle character set that stands for a Windows code page.
#pragma once

#include "oracle/OciTypes.h"

namespace oci {

// Oracle's id of the character set of a Windows ANSI code page (WE8MSWIN1252, 178, for
// 1252), or 0 when the code page has none in our table: the client's NLS_LANG then decides.
ub2 characterSetOfCodePage(int codePage);

} // namespace oci
