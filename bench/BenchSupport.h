// What the benchmarks share: the generated table, the floor of touching every byte of it,
// and a reporter that keeps each benchmark's best time for the closing comparison.
#pragma once

#include "platform/MappedFile.h"

#include <benchmark/benchmark.h>

#include <cstdint>

#include <map>
#include <string>
#include <vector>

namespace bench {

// Records in the generated table: ten C, N, D and L fields, 96 bytes a record.
constexpr int kRecords = 1000000;

// Writes the table once per process into the temporary folder and answers its path.
const std::string& generatedTablePath();
// Writes a table of the same fields and values, of `records` records, at `path`.
void writeTable(const std::string& path, int records);
// $TMPDIR, else /tmp.
std::string temporaryFolder();
// The folder of the running benchmark, where the programs built beside it are.
std::string folderOfThisProgram();
// Deletes the generated table.
void removeGeneratedTable();

// Every byte of the file added up: the least that reading all of it can cost.
std::uint64_t sumOfBytes(const platform::MappedFile& file);

// The floor: sums every byte of the generated table, mapped as the reader maps it.
void touchEveryByte(benchmark::State& state);
// The same with a new mapping for every pass, as every load makes its own: the page faults
// of the first touch count too.
void touchEveryByteFreshlyMapped(benchmark::State& state);

// How a program run to its end went, and its real and processor time.
struct ProgramRun {
    bool started = false;
    bool succeeded = false; // exited with 0
    double realMs = 0;
    double cpuMs = 0;
};
// The least and the most of one member of the runs (realMs or cpuMs); there must be one.
double best(const std::vector<ProgramRun>& runs, double ProgramRun::*member);
double worst(const std::vector<ProgramRun>& runs, double ProgramRun::*member);
// Runs `arguments` (the program first, looked for on the PATH, then its arguments) with its
// standard output thrown away, and waits for its end.
ProgramRun runProgram(std::vector<std::string> arguments);

// Keeps each benchmark's best real and CPU time per iteration (over repetitions, or their
// medians when only aggregates are reported).
class BestTimesReporter : public benchmark::ConsoleReporter {
  public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override;

    Times best(const std::string& benchmarkName) const;

  private:
    std::map<std::string, Times> times_;
};

} // namespace bench
