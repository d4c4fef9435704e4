// The version bytes dBase, Clipper, FoxPro and Visual FoxPro write. Bits 0-2 give the dBase
// version and bit 7 says that a memo file belongs to the table; FoxPro added bytes of its own.
#include "dbf/DbfDialect.h"

namespace {

struct KnownVersion {
    std::uint8_t versionByte;
    DbfDialect dialect;
};

constexpr KnownVersion kKnownVersions[] = {
    // dBase III and the programs that write its format (Clipper, FoxBASE+, Harbour); the byte
    // without the memo bit is also what FoxPro writes for a table without memo fields, whose
    // memo file, if any, was always an FPT.
    {0x03, {"dBase III or FoxPro without memo", MemoKind::Fpt, true, false, false}},
    {0x83, {"dBase III with memo", MemoKind::Dbt, true, false, false}},
    // dBase IV and 5, their SQL tables among them.
    {0x43, {"dBase IV SQL system table", MemoKind::Dbt, false, false, true}},
    {0x63, {"dBase IV SQL table", MemoKind::Dbt, false, false, true}},
    {0x8B, {"dBase IV with memo", MemoKind::Dbt, false, false, true}},
    {0xCB, {"dBase IV SQL table with memo", MemoKind::Dbt, false, false, true}},
    // dBase 7 (Visual dBase, dBase Plus).
    {0x04, {"dBase 7", MemoKind::Dbt, false, true, true}},
    {0x8C, {"dBase 7 with memo", MemoKind::Dbt, false, true, true}},
    // FoxPro and Visual FoxPro.
    {0xF5, {"FoxPro 2 with memo", MemoKind::Fpt, false, false, false}},
    {0x30, {"Visual FoxPro", MemoKind::Fpt, false, false, false}},
    {0x31, {"Visual FoxPro with autoincrement", MemoKind::Fpt, false, false, false}},
    {0x32, {"Visual FoxPro with varchar or varbinary", MemoKind::Fpt, false, false, false}},
};

constexpr DbfDialect kUnknownDialect{"unknown", MemoKind::Fpt, false, false, false};

} // namespace

DbfDialect dialectOf(std::uint8_t versionByte) {
    for (const KnownVersion& known : kKnownVersions)
        if (known.versionByte == versionByte)
            return known.dialect;
    return kUnknownDialect;
}
