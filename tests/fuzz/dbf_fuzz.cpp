// libFuzzer target: arbitrary bytes as a DBF file and its memo file, opened and read in full
// (every value, name and header answer), then checked and repaired.
//
// The input is split in two: its first four bytes (little-endian) give the length of the
// DBF part, the rest is the memo part. The memo file is named after the table, as an FPT or
// a DBT file: the kind the version byte names, or the other when bit 0 of the header's byte 2
// is set, in lower case when its bit 1 is set. So dBase III, dBase IV and FoxPro memo blocks,
// the search in any case and dBase 7 headers are all reached. Build with scripts/build
// (folder build/fuzz) and run longer than the test script's 30 seconds with, for example:
//     build/fuzz/tests/fuzz/dbf_fuzz -max_total_time=3600 -jobs=2 build/fuzz/corpus-dbf_fuzz
#include "FuzzInput.h"
#include "dbf/DbfDialect.h"
#include "dbf/DbfHeader.h"
#include "dbf/DbfTable.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Keeps one input from taking seconds: memo texts alone write 2000 bytes each.
constexpr long kMaxValuesPerInput = 20000;

// Files unique to this process, so that parallel fuzzing jobs do not share them.
struct FuzzFiles {
    std::string stem;
    std::string table;
    FuzzFiles() {
        const char* folder = std::getenv("TMPDIR");
        stem = std::string(folder != nullptr ? folder : "/tmp") + "/marlin_dbf_fuzz_" +
               std::to_string(static_cast<long>(::getpid())) + ".";
        table = stem + "dbf";
    }
    ~FuzzFiles() {
        std::remove(table.c_str());
        removeMemoFiles();
    }
    void removeMemoFiles() const {
        for (const char* extension : {"FPT", "fpt", "DBT", "dbt"})
            std::remove((stem + extension).c_str());
    }
    // The memo file's name for this input (see the top of the file).
    std::string memoFor(const std::uint8_t* data, std::size_t size) const {
        const std::uint8_t version = size > 4 ? data[4] : 0;
        const std::uint8_t choice = size > 6 ? data[6] : 0;
        const bool dbt = (dialectOf(version).memoKind == MemoKind::Dbt) != ((choice & 1) != 0);
        const bool lower = (choice & 2) != 0;
        return stem + (dbt ? (lower ? "dbt" : "DBT") : (lower ? "fpt" : "FPT"));
    }
};

// Formats every field of every record; a text longer than its column is a fault (a memo
// text is one character longer than its column by design).
void readEverything(DbfTable& table) {
    long budget = kMaxValuesPerInput;
    int fields = table.fieldCount();
    for (int record = 0; budget > 0 && table.selectRecord(record); ++record) {
        for (int index = 0; index < fields && budget > 0; ++index, --budget) {
            std::size_t length = std::strlen(table.field(index).text());
            std::size_t width = static_cast<std::size_t>(table.fieldWidth(index));
            if (length > width && !(width == 1998 && length == 1999))
                __builtin_trap();
        }
    }
    char name[11] = {};
    for (int index = 0; index < fields; ++index) {
        table.fieldName(index, name);
        if (table.fieldInfo(index).name != table.fieldName(index))
            __builtin_trap();
    }
    if (table.recordCount() < 0 || table.recordWidth() < 0)
        __builtin_trap();
    // The answers a description and the load's memo check ask for.
    table.holdsMemoPointer();
    if (table.memoFile().isOpen() != table.memoFile().problemText().empty())
        __builtin_trap();
    table.languageDriverName();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFiles files;
    files.removeMemoFiles();
    fuzz_input::writeTableAndMemo(data, size, files.table, files.memoFor(data, size));

    DbfTable table;
    if (table.open(files.table.c_str()))
        readEverything(table);
    else if (table.openFailureText().empty())
        __builtin_trap();
    table.close();

    // A repaired header always passes the check that asked for the repair.
    if (!checkDbfHeader(files.table.c_str()) &&
        (!repairDbfHeader(files.table.c_str()) || !checkDbfHeader(files.table.c_str())))
        __builtin_trap();
    return 0;
}
