// libFuzzer target: arbitrary bytes as a DBF file and its FPT memo file, carried by the whole
// load job into the stand-in Oracle client in its discard mode: header check, repair of a
// working copy, column list, every value into its bind slot, array inserts, commits. Every
// run must end with a last status line sent while loadActive is 0. Then every value of the
// file is written into a slot once more and held against its text converted a byte at a time.
//
// The input is split as for dbf_fuzz: its first four bytes (little-endian) give the length
// of the DBF part, the rest is the FPT part. Build with scripts/build (folder build/fuzz).
#include "FuzzInput.h"
#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"
#include "support/StandinDatabase.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Keeps the slot comparison of one input short.
constexpr long kMaxComparedValues = 20000;

// A folder of this process's own for the table, its memo file and any working copy, and the
// stand-in database the loads go to.
struct FuzzSetup {
    fs::path folder;
    std::string table;
    std::string memo;
    standin_test::StandinDatabase database;
    std::string loadedTableFile;

    FuzzSetup() {
        const char* temporary = std::getenv("TMPDIR");
        folder = fs::path(temporary != nullptr ? temporary : "/tmp") /
                 ("marlin_load_fuzz_" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(folder);
        table = (folder / "fuzzed.dbf").string();
        memo = (folder / "fuzzed.FPT").string();
        database.addUser("FUZZ", "fuzz");
        database.useEnvironment("discard");
        loadedTableFile = (fs::path(database.databaseFolder()) / "FUZZ" / "FUZZED.tbl").string();
        LoadParams::fileName = table;
        LoadParams::tableName = "FUZZED";
        LoadParams::userName = "FUZZ";
        LoadParams::password = "fuzz";
        LoadParams::database = "ORCL";
    }
    ~FuzzSetup() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Removes the input files, a working copy a failed repair left, and the loaded table.
    void clear() const {
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored))
            fs::remove(entry.path(), ignored);
        fs::remove(loadedTableFile, ignored);
    }
};

// What the job said last, and whether it had cleared loadActive by then.
struct LastLine {
    bool sent = false;
    bool whileInactive = false;
};

void loadThroughTheJob(LastLine& last) {
    setLoadHooks({[&last] {
                      if (LoadStatus::statusText.empty())
                          __builtin_trap();
                      last.sent = true;
                      last.whileInactive = LoadStatus::loadActive == 0;
                  },
                  {},
                  {}});
    LoadStatus::loadActive = 1;
    LoadJob::run();
}

// Every value written into a slot, against its text converted a byte at a time.
void compareSlotsWithTexts(const std::string& path) {
    DbfTable table;
    if (!table.open(path.c_str()))
        return;
    platform::ByteTable byteTable = conversionTableFor(table);
    byteTable[0xA0] = 0; // a letter that converts to zero ends the value
    const TextConverter converter(byteTable);
    std::vector<char> slot;
    long budget = kMaxComparedValues;
    for (int record = 0; budget > 0 && table.selectRecord(record); ++record) {
        for (int index = 0; index < table.fieldCount() && budget > 0; ++index, --budget) {
            const auto width = static_cast<std::size_t>(table.fieldWidth(index));
            slot.assign(width, '\x01');
            const std::size_t written =
                table.field(index).convertInto(slot.data(), width, converter);
            std::size_t length = 0;
            const char* text = table.field(index).text(length);
            std::size_t expected = 0;
            while (expected < length && expected < width &&
                   byteTable[static_cast<unsigned char>(text[expected])] != 0) {
                if (slot[expected] !=
                    static_cast<char>(byteTable[static_cast<unsigned char>(text[expected])]))
                    __builtin_trap();
                ++expected;
            }
            if (written != expected)
                __builtin_trap();
            for (std::size_t at = written; at < width; ++at)
                if (slot[at] != '\0' && slot[at] != '\x01')
                    __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzSetup setup;
    fuzz_input::writeTableAndMemo(data, size, setup.table, setup.memo);

    LastLine last;
    loadThroughTheJob(last);
    if (!last.sent || !last.whileInactive || LoadStatus::loadActive != 0)
        __builtin_trap();
    // A stand-in that cannot be loaded would leave every input at the connect stage.
    if (LoadStatus::statusText.rfind("Can't load ", 0) == 0)
        __builtin_trap();
    compareSlotsWithTexts(setup.table);
    setup.clear();
    return 0;
}
