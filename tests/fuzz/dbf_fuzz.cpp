// libFuzzer target: arbitrary bytes as a DBF file and its FPT memo file, opened and read in
// full, then checked and repaired.
//
// The input is split in two: its first four bytes (little-endian) give the length of the
// DBF part, the rest is the FPT part. Build with scripts/build (folder build/fuzz) and run
// longer than the test script's 30 seconds with, for example:
//     build/fuzz/tests/fuzz/dbf_fuzz -max_total_time=3600 -jobs=2 build/fuzz/corpus-dbf_fuzz
#include "FuzzInput.h"
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
    std::string table;
    std::string memo;
    FuzzFiles() {
        const char* folder = std::getenv("TMPDIR");
        std::string stem = std::string(folder != nullptr ? folder : "/tmp") + "/marlin_dbf_fuzz_" +
                           std::to_string(static_cast<long>(::getpid())) + ".";
        table = stem + "dbf";
        memo = stem + "FPT"; // the name the reader derives from the table's
    }
    ~FuzzFiles() {
        std::remove(table.c_str());
        std::remove(memo.c_str());
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
    for (int index = 0; index < fields; ++index)
        table.fieldName(index, name);
    if (table.recordCount() < 0 || table.recordWidth() < 0)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFiles files;
    fuzz_input::writeTableAndMemo(data, size, files.table, files.memo);

    DbfTable table;
    if (table.open(files.table.c_str()))
        readEverything(table);
    table.close();

    // A repaired header always passes the check that asked for the repair.
    if (!checkDbfHeader(files.table.c_str()) &&
        (!repairDbfHeader(files.table.c_str()) || !checkDbfHeader(files.table.c_str())))
        __builtin_trap();
    return 0;
}
