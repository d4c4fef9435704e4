// Whole loads into the stand-in client in its discard mode (an AL32UTF8 database), each against
// its floor: the plain table against touching every byte of a new mapping, the memo table
// against touching every byte of both files mapped anew and writing each slot's first byte per
// character of its column. Beside them Debian's pgdbf converting the same files to UTF-8 text.
// Also the per-value conversion as built against the conversion as first written (two
// 2000-byte scratch buffers cleared per value).
#include "BenchSupport.h"
#include "MemoTable.h"

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/ColumnList.h"
#include "load/LoadJob.h"
#include "support/StandinDatabase.h"

#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

standin_test::StandinDatabase& database() {
    static standin_test::StandinDatabase instance;
    return instance;
}

// Loads the table at `path` once per iteration, each time into a table of a new name: the
// names count on across repetitions, as the stand-in keeps every table made. `typed` gives
// each column its field's type; `checked` has the stand-in check every value it discards, as
// Oracle would, else it takes them unseen and the load's figure is the client's alone.
void wholeLoad(benchmark::State& state, const std::string& path, int records, bool typed,
               bool checked) {
    static int loadNumber = 0;
    standin_test::StandinDatabase::setFailRules(checked ? "discard" : "unchecked");
    LoadRequest request;
    request.options.typedColumns = typed;
    request.fileName = path;
    request.userName = "BENCH";
    request.password = "bench";
    request.database = "ORCL";
    std::string failure;
    const std::string completed =
        "Loading completed. " + std::to_string(records) + " records processed.";
    LoadStop stop;
    LoadReporter reporter;
    reporter.statusLine = [&failure, &completed, &stop](const std::string& line) {
        if (stop.requested() && line != completed)
            failure = line;
    };
    reporter.message = [&failure](const std::string& text) { failure = text; };
    for (auto _ : state) {
        request.tableName = "LOADED" + std::to_string(loadNumber++);
        stop.arm();
        LoadJob::run(request, reporter, stop);
    }
    if (!failure.empty())
        state.SkipWithError(failure.c_str());
    state.counters["records/s"] =
        benchmark::Counter(records, benchmark::Counter::kIsIterationInvariantRate);
}

// The bind buffers of one batch, sized as the job sizes them.
struct Batch {
    explicit Batch(DbfTable& table)
        : converter(converterFor(table, 0)), columns(buildColumns(table, *converter)),
          rowsPerBatch(LoadJob::kBatchBudgetBytes / table.recordWidth()),
          buffers(columns, rowsPerBatch, *converter) {}

    std::unique_ptr<TextConverter> converter;
    std::vector<Column> columns;
    int rowsPerBatch;
    BatchBuffers buffers;
};

void conversionAsBuilt(benchmark::State& state, const std::string& path) {
    DbfTable table;
    table.open(path.c_str());
    Batch batch(table);
    for (auto _ : state) {
        int row = 0;
        for (int record = 0; table.selectRecord(record); ++record) {
            batch.buffers.fillRow(row);
            row = row + 1 == batch.rowsPerBatch ? 0 : row + 1;
        }
        benchmark::DoNotOptimize(batch.buffers.slots(0));
    }
}

// The OEM code page's bytes as single bytes, '?' for those that take more in UTF-8: the
// byte-for-byte table the conversion as first written used.
using ByteTable = std::array<unsigned char, 256>;
ByteTable oemByteTable() {
    const platform::Utf8ByteTable utf8 =
        platform::CodePageDecoder(platform::oemCodePage()).utf8Table();
    ByteTable table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table[byte] = utf8[byte].length == 1 ? utf8[byte].bytes[0] : '?';
    return table;
}

// One value as first written: copy into scratch A up to its zero byte, convert all `width`
// bytes of A into B, copy B into the slot up to its zero byte, clear both scratch buffers.
void convertLiterally(const char* text, char* slot, int width, char* scratchA, char* scratchB,
                      const ByteTable& oemToAnsi) {
    std::strncpy(scratchA, text, static_cast<std::size_t>(width));
    for (int byte = 0; byte < width; ++byte)
        scratchB[byte] = static_cast<char>(oemToAnsi[static_cast<unsigned char>(scratchA[byte])]);
    std::strncpy(slot, scratchB, static_cast<std::size_t>(width));
    std::memset(scratchA, 0, 2000);
    std::memset(scratchB, 0, 2000);
}

void conversionAsWritten(benchmark::State& state, const std::string& path) {
    DbfTable table;
    table.open(path.c_str());
    Batch batch(table);
    const ByteTable oemToAnsi = oemByteTable();
    auto scratchA = std::make_unique<char[]>(2000);
    auto scratchB = std::make_unique<char[]>(2000);
    for (auto _ : state) {
        int row = 0;
        for (int record = 0; table.selectRecord(record); ++record) {
            for (std::size_t column = 0; column < batch.columns.size(); ++column) {
                const int width = batch.columns[column].width;
                char* slot = batch.buffers.slots(column) +
                             static_cast<std::size_t>(row) * batch.buffers.slotBytes(column);
                convertLiterally(batch.columns[column].value.text(), slot, width, scratchA.get(),
                                 scratchB.get(), oemToAnsi);
            }
            row = row + 1 == batch.rowsPerBatch ? 0 : row + 1;
        }
        benchmark::DoNotOptimize(batch.buffers.slots(0));
    }
}

// The memo table's floor: both files mapped anew and every byte of them touched, and in every
// record's slots, bind buffers of the job's size, one byte written for each character of the
// column (the least any conversion writes).
void memoFloor(benchmark::State& state) {
    DbfTable table;
    table.open(bench::generatedMemoTablePath().c_str());
    Batch batch(table);
    table.close();
    for (auto _ : state) {
        platform::MappedFile dbf;
        platform::MappedFile memo;
        if (!dbf.open(bench::generatedMemoTablePath()) ||
            !memo.open(bench::generatedMemoFilePath())) {
            state.SkipWithError("cannot map the generated memo table");
            return;
        }
        benchmark::DoNotOptimize(bench::sumOfBytes(dbf) + bench::sumOfBytes(memo));
        int row = 0;
        for (int record = 0; record < bench::kMemoRecords; ++record) {
            for (std::size_t column = 0; column < batch.columns.size(); ++column) {
                const auto slotBytes = static_cast<std::size_t>(batch.buffers.slotBytes(column));
                std::memset(batch.buffers.slots(column) + row * slotBytes, record,
                            static_cast<std::size_t>(batch.columns[column].width));
            }
            row = row + 1 == batch.rowsPerBatch ? 0 : row + 1;
        }
        benchmark::ClobberMemory();
    }
}

// Debian's pgdbf converting the same table to UTF-8 SQL text, written to /dev/null: a whole
// program's run, timed by the clock (its CPU time is not this process's).
void pgdbf(benchmark::State& state, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "pgdbf");
    for (auto _ : state) {
        const bench::ProgramRun run = bench::runProgram(arguments);
        if (!run.started) {
            state.SkipWithError("pgdbf is not installed (apt-get install pgdbf)");
            break;
        }
        if (!run.succeeded) {
            state.SkipWithError("pgdbf failed");
            break;
        }
    }
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The bind buffers as the whole table leaves them, batch after batch.
void printBufferFigures(const char* name, const std::string& path) {
    DbfTable table;
    table.open(path.c_str());
    Batch batch(table);
    int row = 0;
    for (int record = 0; table.selectRecord(record); ++record) {
        batch.buffers.fillRow(row);
        row = row + 1 == batch.rowsPerBatch ? 0 : row + 1;
    }
    std::printf("%s: record width %d, %d rows a batch (a budget of %d characters): bind slots "
                "%zu bytes once every record went through them, length arrays %zu bytes\n",
                name, table.recordWidth(), batch.rowsPerBatch, LoadJob::kBatchBudgetBytes,
                batch.buffers.allSlotBytes(), batch.buffers.lengthBytes());
}

template <class... Arguments>
benchmark::internal::Benchmark* add(const char* name, Arguments&&... arguments) {
    return benchmark::RegisterBenchmark(name, std::forward<Arguments>(arguments)...)
        ->Unit(benchmark::kMillisecond);
}

void registerBenchmarks() {
    const std::string& plain = bench::generatedTablePath();
    const std::string& memo = bench::generatedMemoTablePath();
    add("plain/touchEveryByte", bench::touchEveryByte);
    add("plain/touchEveryByteFreshlyMapped", bench::touchEveryByteFreshlyMapped);
    add("plain/conversionAsBuilt", conversionAsBuilt, plain);
    add("plain/conversionAsWritten", conversionAsWritten, plain);
    add("plain/wholeLoad", wholeLoad, plain, bench::kRecords, false, true)->Iterations(3);
    add("plain/typedLoad", wholeLoad, plain, bench::kRecords, true, true)->Iterations(3);
    add("plain/uncheckedLoad", wholeLoad, plain, bench::kRecords, false, false)->Iterations(3);
    add("plain/uncheckedTypedLoad", wholeLoad, plain, bench::kRecords, true, false)->Iterations(3);
    add("plain/pgdbf", pgdbf, std::vector<std::string>{"-P", "-s", "cp437", plain})
        ->Iterations(3)
        ->UseRealTime();
    add("memo/floor", memoFloor);
    add("memo/conversionAsBuilt", conversionAsBuilt, memo);
    add("memo/wholeLoad", wholeLoad, memo, bench::kMemoRecords, false, true)->Iterations(3);
    add("memo/typedLoad", wholeLoad, memo, bench::kMemoRecords, true, true)->Iterations(3);
    add("memo/uncheckedLoad", wholeLoad, memo, bench::kMemoRecords, false, false)->Iterations(3);
    add("memo/uncheckedTypedLoad", wholeLoad, memo, bench::kMemoRecords, true, false)
        ->Iterations(3);
    add("memo/pgdbf", pgdbf,
        std::vector<std::string>{"-P", "-s", "cp850", "-m", bench::generatedMemoFilePath(), memo})
        ->Iterations(3)
        ->UseRealTime();
}

void printConversionLine(const bench::BestTimesReporter& reporter) {
    const auto floor = reporter.best("plain/touchEveryByte");
    const auto built = reporter.best("plain/conversionAsBuilt");
    const auto written = reporter.best("plain/conversionAsWritten");
    const auto memoBuilt = reporter.best("memo/conversionAsBuilt");
    if (floor.real > 0 && built.real > 0 && written.real > 0 && memoBuilt.real > 0)
        std::printf("conversion into the bind slots: plain file %.1f ms (%.2f x touching every "
                    "byte of a mapping kept, %.1f ms), %.1f ms as first written; memo file "
                    "%.1f ms\n",
                    built.real, built.real / floor.real, floor.real, written.real, memoBuilt.real);
}

// "2.41 x (processor time 1.52 x)": the machine is shared, and other processes lengthen the
// real time of one run more than that of another.
std::string ratio(const bench::BestTimesReporter::Times& times,
                  const bench::BestTimesReporter::Times& base) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f x (processor time %.2f x)", times.real / base.real,
                  times.cpu / base.cpu);
    return text;
}

// One line a table, the last ones of the run: a whole load against its floor, checked by the
// stand-in as Oracle would and taken unseen (the client alone).
void printFloorLines(const bench::BestTimesReporter& reporter) {
    const auto floor = reporter.best("plain/touchEveryByteFreshlyMapped");
    const auto memoFloorTimes = reporter.best("memo/floor");
    struct Line {
        const char* table;
        bench::BestTimesReporter::Times floor;
        int records;
        const char* floorText;
    };
    const Line lines[] = {
        {"plain", floor, bench::kRecords, "touching every byte of a new mapping"},
        {"memo", memoFloorTimes, bench::kMemoRecords,
         "touching every byte of both files mapped anew and writing a byte for each character "
         "of every slot"},
    };
    for (const Line& line : lines) {
        const auto load = reporter.best(std::string(line.table) + "/wholeLoad");
        const auto alone = reporter.best(std::string(line.table) + "/uncheckedLoad");
        if (line.floor.real > 0 && load.real > 0 && alone.real > 0)
            std::printf("%s file: whole load %.0f ms, %.2f million records/s: %s its floor (%s, "
                        "%.1f ms); the client alone %.0f ms: %s its floor\n",
                        line.table, load.real, line.records / load.real / 1000.0,
                        ratio(load, line.floor).c_str(), line.floorText, line.floor.real,
                        alone.real, ratio(alone, line.floor).c_str());
    }
}

void printClosingLines(const bench::BestTimesReporter& reporter) {
    printFloorLines(reporter);
    for (const char* table : {"plain", "memo"}) {
        const auto typed = reporter.best(std::string(table) + "/typedLoad");
        const auto whole = reporter.best(std::string(table) + "/wholeLoad");
        if (typed.real > 0 && whole.real > 0)
            std::printf("%s file typed: whole load %.0f ms, %s the default load of the same run "
                        "(%.0f ms)\n",
                        table, typed.real, ratio(typed, whole).c_str(), whole.real);
        const auto unchecked = reporter.best(std::string(table) + "/uncheckedLoad");
        const auto uncheckedTyped = reporter.best(std::string(table) + "/uncheckedTypedLoad");
        if (unchecked.real > 0 && uncheckedTyped.real > 0)
            std::printf("%s file, values not checked by the stand-in (the client alone): typed "
                        "load %.0f ms, %s the default load of the same run (%.0f ms)\n",
                        table, uncheckedTyped.real, ratio(uncheckedTyped, unchecked).c_str(),
                        unchecked.real);
    }
    for (const char* table : {"plain", "memo"}) {
        const auto converter = reporter.best(std::string(table) + "/pgdbf");
        const auto whole = reporter.best(std::string(table) + "/wholeLoad");
        if (converter.real > 0 && whole.real > 0)
            std::printf("%s file beside pgdbf: pgdbf %.0f ms, the whole load %.2f x as fast (its "
                        "real time; process_bench compares the processor time of both)\n",
                        table, converter.real, converter.real / whole.real);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    registerBenchmarks();
    database().setCharacterSet("AL32UTF8");
    database().addUser("BENCH", "bench");
    database().useEnvironment("discard");
    const long residentBefore = peakResidentKilobytes();
    bench::BestTimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printBufferFigures("plain file", bench::generatedTablePath());
    printBufferFigures("memo file", bench::generatedMemoTablePath());
    std::printf("peak resident memory %ld kB before the runs, %ld kB after (the mapped files "
                "count while their pages are touched)\n",
                residentBefore, peakResidentKilobytes());
    printConversionLine(reporter);
    printClosingLines(reporter);
    bench::removeGeneratedTable();
    bench::removeGeneratedMemoTable();
    benchmark::Shutdown();
    return 0;
}
