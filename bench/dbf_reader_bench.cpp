// How fast the reader turns a large table into text, against the floor of touching every
// byte of the same file mapped the same way. Prints both times and their ratio.
#include "BenchSupport.h"

#include "dbf/DbfTable.h"

#include <cstdio>
#include <vector>

namespace {

void formatEveryField(benchmark::State& state) {
    DbfTable table;
    if (!table.open(bench::generatedTablePath().c_str())) {
        state.SkipWithError("cannot open the generated table");
        return;
    }
    std::vector<DbfFieldValue> values;
    for (int i = 0; i < table.fieldCount(); ++i)
        values.push_back(table.field(i));
    for (auto _ : state) {
        for (int record = 0; table.selectRecord(record); ++record)
            for (const DbfFieldValue& value : values)
                benchmark::DoNotOptimize(value.text());
    }
    state.counters["records/s"] =
        benchmark::Counter(bench::kRecords, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(bench::touchEveryByte)->Unit(benchmark::kMillisecond);
BENCHMARK(formatEveryField)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::generatedTablePath();
    bench::BestTimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::removeGeneratedTable();
    auto floor = reporter.best("bench::touchEveryByte");
    auto format = reporter.best("formatEveryField");
    if (floor.real > 0 && floor.cpu > 0)
        std::printf("touch every byte: %.1f ms (CPU %.1f ms); format every field: %.1f ms "
                    "(CPU %.1f ms); ratio %.2f (CPU %.2f)\n",
                    floor.real, floor.cpu, format.real, format.cpu, format.real / floor.real,
                    format.cpu / floor.cpu);
    benchmark::Shutdown();
    return 0;
}
