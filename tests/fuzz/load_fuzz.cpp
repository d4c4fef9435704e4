// libFuzzer target: arbitrary bytes as a DBF file and its FPT memo file, carried by the whole
// load job into the stand-in Oracle client in its discard mode: header check, repair of a
// working copy, column list, every value into its bind slot, array inserts, commits. Every
// run must end with a last status line sent while loadActive is 0. Then every value of the
// file is written into a slot once more and held against its text decoded a byte at a time.
// Then the file is loaded again with typed columns, which must end the same way, and whose
// inserts the stand-in must never refuse: every value a typed load hands Oracle was checked.
//
// The input is split as for dbf_fuzz: its first four bytes (little-endian) give the length
// of the DBF part, the rest is the FPT part. Build with scripts/build (folder build/fuzz).
#include "FuzzInput.h"
#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/LoadJob.h"
#include "support/StandinDatabase.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
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
    LoadRequest request;

    FuzzSetup() {
        const char* temporary = std::getenv("TMPDIR");
        folder = fs::path(temporary != nullptr ? temporary : "/tmp") /
                 ("marlin_load_fuzz_" + std::to_string(static_cast<long>(::getpid())));
        fs::create_directories(folder);
        table = (folder / "fuzzed.dbf").string();
        memo = (folder / "fuzzed.FPT").string();
        database.setCharacterSet("AL32UTF8");
        database.addUser("FUZZ", "fuzz");
        database.useEnvironment("discard");
        loadedTableFile = (fs::path(database.databaseFolder()) / "FUZZ" / "FUZZED.tbl").string();
        request.fileName = table;
        request.tableName = "FUZZED";
        request.userName = "FUZZ";
        request.password = "fuzz";
        request.database = "ORCL";
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
        dropLoadedTable();
    }
    void dropLoadedTable() const {
        std::error_code ignored;
        fs::remove(loadedTableFile, ignored);
    }
};

// What the job said last, and whether it had cleared its stop flag by then.
struct LastLine {
    bool sent = false;
    bool whileInactive = false;
    std::string text;
};

// Loads the fuzzed table; true when the job cleared its stop flag by its end.
bool loadThroughTheJob(LoadRequest request, LastLine& last, bool typed) {
    request.options.typedColumns = typed;
    LoadStop stop;
    LoadReporter reporter;
    reporter.statusLine = [&last, &stop](const std::string& line) {
        if (line.empty())
            __builtin_trap();
        last.sent = true;
        last.whileInactive = stop.requested();
        last.text = line;
    };
    stop.arm();
    LoadJob::run(request, reporter, stop);
    return stop.requested();
}

// The table a load decodes the file's text with, as converterFor() chooses it; none when the
// file's code page takes two bytes a character.
std::optional<platform::Utf8ByteTable> singleByteTable(const DbfTable& table) {
    for (unsigned codePage : {table.codePage(), platform::oemCodePage()}) {
        const platform::CodePageDecoder decoder(codePage);
        if (codePage != 0 && decoder.isOpen())
            return decoder.isSingleByte() ? std::optional(decoder.utf8Table()) : std::nullopt;
    }
    return std::nullopt;
}

// What the slot must hold: the text decoded a byte at a time, ended at a byte that converts
// to zero, as many whole characters as fit.
std::string expectedSlot(const char* text, std::size_t length, std::size_t capacity,
                         const platform::Utf8ByteTable& byteTable) {
    std::string expected;
    for (std::size_t at = 0; at < length; ++at) {
        const platform::Utf8Bytes& character = byteTable[static_cast<unsigned char>(text[at])];
        if (character.bytes[0] == 0 || expected.size() + character.length > capacity)
            break;
        expected.append(reinterpret_cast<const char*>(character.bytes), character.length);
    }
    return expected;
}

// Every value written into a slot as large as the load makes it, against its text decoded a
// byte at a time (or, for a double-byte code page, a value at a time), with nothing written
// past the slot.
void compareSlotsWithTexts(const std::string& path) {
    DbfTable table;
    if (!table.open(path.c_str()))
        return;
    std::optional<platform::Utf8ByteTable> byteTable = singleByteTable(table);
    std::unique_ptr<TextConverter> converter = converterFor(table, 0);
    if (byteTable) {
        (*byteTable)[0xA0] = platform::Utf8Bytes{{0, 0, 0}, 1}; // a letter that ends the value
        converter = std::make_unique<TextConverter>(*byteTable);
    }
    std::vector<char> slot;
    long budget = kMaxComparedValues;
    for (int record = 0; budget > 0 && table.selectRecord(record); ++record) {
        for (int index = 0; index < table.fieldCount() && budget > 0; ++index, --budget) {
            const auto width = static_cast<std::size_t>(table.fieldWidth(index));
            const std::size_t capacity =
                std::min(width * converter->utf8BytesPerByte(), BatchBuffers::kMaxSlotBytes);
            slot.assign(capacity + 8, '\x01');
            const platform::ConvertedText written =
                table.field(index).convertInto(slot.data(), width, capacity, *converter);
            std::size_t length = 0;
            const char* text = table.field(index).text(length);
            length = std::min(length, width);
            const std::string expected =
                byteTable ? expectedSlot(text, length, capacity, *byteTable)
                          : converter->toUtf8(text, length).substr(0, written.bytes);
            if (written.bytes != expected.size() ||
                std::string(slot.data(), written.bytes) != expected)
                __builtin_trap();
            for (std::size_t at = capacity; at < slot.size(); ++at)
                if (slot[at] != '\x01')
                    __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzSetup setup;
    fuzz_input::writeTableAndMemo(data, size, setup.table, setup.memo);

    LastLine last;
    if (!loadThroughTheJob(setup.request, last, false) || !last.sent || !last.whileInactive)
        __builtin_trap();
    // A stand-in that cannot be loaded would leave every input at the connect stage.
    if (last.text.rfind("Can't load ", 0) == 0)
        __builtin_trap();
    compareSlotsWithTexts(setup.table);

    setup.dropLoadedTable();
    LastLine typedLast;
    if (!loadThroughTheJob(setup.request, typedLast, true) || !typedLast.sent ||
        !typedLast.whileInactive)
        __builtin_trap();
    if (typedLast.text.rfind("Error during insert", 0) == 0)
        __builtin_trap();
    setup.clear();
    return 0;
}
