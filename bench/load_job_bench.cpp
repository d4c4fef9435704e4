// A whole load of the generated table into the stand-in client in its discard mode, against
// the floor of touching every byte of the file; and the per-value conversion as built
// against the conversion as first written (two 2000-byte scratch buffers cleared per value).
#include "BenchSupport.h"

#include "dbf/DbfTable.h"
#include "load/BatchBuffers.h"
#include "load/ColumnList.h"
#include "load/LoadJob.h"
#include "load/LoadState.h"
#include "support/StandinDatabase.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

standin_test::StandinDatabase& database() {
    static standin_test::StandinDatabase instance;
    return instance;
}

void wholeLoad(benchmark::State& state) {
    LoadParams::fileName = bench::generatedTablePath();
    LoadParams::userName = "BENCH";
    LoadParams::password = "bench";
    LoadParams::database = "ORCL";
    std::string failure;
    setLoadHooks({{}, {}, [&failure](const char* text) { failure = text; }});
    int run = 0;
    for (auto _ : state) {
        LoadParams::tableName = "LOADED" + std::to_string(run++);
        LoadStatus::loadActive = 1;
        LoadJob::run();
    }
    if (!failure.empty())
        state.SkipWithError(failure.c_str());
    state.counters["records/s"] =
        benchmark::Counter(bench::kRecords, benchmark::Counter::kIsIterationInvariantRate);
}

// The bind buffers of one batch, sized as the job sizes them.
struct Batch {
    explicit Batch(DbfTable& table)
        : columns(buildColumns(table)),
          rowsPerBatch(LoadJob::kBatchBudgetBytes / table.recordWidth()),
          buffers(columns, rowsPerBatch, conversionTableFor(table)) {}

    std::vector<Column> columns;
    int rowsPerBatch;
    BatchBuffers buffers;
};

void conversionAsBuilt(benchmark::State& state) {
    DbfTable table;
    table.open(bench::generatedTablePath().c_str());
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

// One value as first written: copy into scratch A up to its zero byte, convert all `width`
// bytes of A into B, copy B into the slot up to its zero byte, clear both scratch buffers.
void convertLiterally(const char* text, char* slot, int width, char* scratchA, char* scratchB,
                      const platform::ByteTable& oemToAnsi) {
    std::strncpy(scratchA, text, static_cast<std::size_t>(width));
    for (int byte = 0; byte < width; ++byte)
        scratchB[byte] = static_cast<char>(oemToAnsi[static_cast<unsigned char>(scratchA[byte])]);
    std::strncpy(slot, scratchB, static_cast<std::size_t>(width));
    std::memset(scratchA, 0, 2000);
    std::memset(scratchB, 0, 2000);
}

void conversionAsWritten(benchmark::State& state) {
    DbfTable table;
    table.open(bench::generatedTablePath().c_str());
    Batch batch(table);
    const platform::ByteTable oemToAnsi = platform::oemToAnsiTable();
    auto scratchA = std::make_unique<char[]>(2000);
    auto scratchB = std::make_unique<char[]>(2000);
    for (auto _ : state) {
        int row = 0;
        for (int record = 0; table.selectRecord(record); ++record) {
            for (std::size_t column = 0; column < batch.columns.size(); ++column) {
                const int width = batch.buffers.width(column);
                char* slot = batch.buffers.slots(column) + static_cast<std::size_t>(row) * width;
                convertLiterally(batch.columns[column].value.text(), slot, width, scratchA.get(),
                                 scratchB.get(), oemToAnsi);
            }
            row = row + 1 == batch.rowsPerBatch ? 0 : row + 1;
        }
        benchmark::DoNotOptimize(batch.buffers.slots(0));
    }
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void printBufferFigures() {
    DbfTable table;
    table.open(bench::generatedTablePath().c_str());
    Batch batch(table);
    std::printf("record width %d, %d rows a batch: bind slots %zu bytes (budget %d), length "
                "arrays %zu bytes\n",
                table.recordWidth(), batch.rowsPerBatch, batch.buffers.slotBytes(),
                LoadJob::kBatchBudgetBytes, batch.buffers.lengthBytes());
}

} // namespace

BENCHMARK(bench::touchEveryByte)->Unit(benchmark::kMillisecond);
BENCHMARK(bench::touchEveryByteFreshlyMapped)->Unit(benchmark::kMillisecond);
BENCHMARK(conversionAsBuilt)->Unit(benchmark::kMillisecond);
BENCHMARK(conversionAsWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(wholeLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::generatedTablePath();
    database().addUser("BENCH", "bench");
    database().useEnvironment("discard");
    const long residentBefore = peakResidentKilobytes();
    bench::BestTimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto floor = reporter.best("bench::touchEveryByte");
    auto freshFloor = reporter.best("bench::touchEveryByteFreshlyMapped");
    auto built = reporter.best("conversionAsBuilt");
    auto written = reporter.best("conversionAsWritten");
    auto load = reporter.best("wholeLoad");
    if (floor.real > 0 && freshFloor.real > 0 && load.real > 0 && built.real > 0)
        std::printf("whole load: %.0f ms, %.2f million records/s; %.2f x the floor of touching "
                    "every byte (%.1f ms), %.2f x that floor with a new mapping (%.1f ms); "
                    "conversion %.1f ms as built, %.1f ms as first written: %.2f x faster\n",
                    load.real, bench::kRecords / load.real / 1000.0, load.real / floor.real,
                    floor.real, load.real / freshFloor.real, freshFloor.real, built.real,
                    written.real, written.real / built.real);
    printBufferFigures();
    std::printf("peak resident memory %ld kB before the runs, %ld kB after (the mapped file "
                "counts while its pages are touched)\n",
                residentBefore, peakResidentKilobytes());
    bench::removeGeneratedTable();
    benchmark::Shutdown();
    return 0;
}
