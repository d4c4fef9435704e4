// marlin-load on a folder of eight equal tables, one at a time (--jobs 1) and two at once
// (--jobs 2), against the stand-in told to take every execute and commit as a network round
// trip of 1 ms and not to look at the values (`delay=1ms;unchecked`), so that the figures are
// the client's and the round trips'. The two runs take turns, round after round (three, or
// --rounds=N; a first round that brings the files into the page cache is not counted).
//
//     jobs_bench [--rounds=N]     (other arguments, those of Google Benchmark, are ignored)
#include "BenchSupport.h"

#include "support/StandinDatabase.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kTables = 8;
constexpr int kRecordsPerTable = 250000;

struct Runs {
    const char* jobs;
    std::vector<bench::ProgramRun> times;
};

using bench::best;
using bench::worst;

int roundsFrom(int argc, char** argv) {
    int rounds = 3;
    for (int index = 1; index < argc; ++index)
        if (std::strncmp(argv[index], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[index] + 9));
    return rounds;
}

std::string writeTables() {
    const std::string folder = bench::temporaryFolder() + "/marlin_jobs_bench_" +
                               std::to_string(static_cast<long>(::getpid()));
    std::filesystem::create_directories(folder);
    for (int table = 1; table <= kTables; ++table)
        bench::writeTable(folder + "/table" + std::to_string(table) + ".dbf", kRecordsPerTable);
    return folder;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = roundsFrom(argc, argv);
    standin_test::StandinDatabase database;
    database.setCharacterSet("AL32UTF8");
    database.addUser("BENCH", "bench");
    database.useEnvironment("delay=1ms;unchecked");
    const std::string folder = writeTables();
    const std::string program = bench::folderOfThisProgram() + "/../cli/marlin-load";
    std::vector<Runs> runs = {{"1", {}}, {"2", {}}};
    // Round 0 brings the files into the page cache and is not counted. Every run after the
    // first replaces the tables the one before made, alike for both.
    for (int round = 0; round <= rounds; ++round) {
        for (Runs& run : runs) {
            const bench::ProgramRun time = bench::runProgram(
                {program, folder, "-u", "BENCH/bench@ORCL", "--replace", "--jobs", run.jobs});
            if (!time.succeeded) {
                std::fprintf(stderr, "jobs_bench: marlin-load --jobs %s failed\n", run.jobs);
                return 1;
            }
            if (round > 0)
                run.times.push_back(time);
        }
    }
    const double one = best(runs[0].times, &bench::ProgramRun::realMs);
    const double two = best(runs[1].times, &bench::ProgramRun::realMs);
    std::printf("%d tables of %d records, 1 ms a call: --jobs 1 %.0f-%.0f ms (processor "
                "%.0f-%.0f), --jobs 2 %.0f-%.0f ms (processor %.0f-%.0f): %.2f x as fast by the "
                "clock, best against best\n",
                kTables, kRecordsPerTable, one, worst(runs[0].times, &bench::ProgramRun::realMs),
                best(runs[0].times, &bench::ProgramRun::cpuMs),
                worst(runs[0].times, &bench::ProgramRun::cpuMs), two,
                worst(runs[1].times, &bench::ProgramRun::realMs),
                best(runs[1].times, &bench::ProgramRun::cpuMs),
                worst(runs[1].times, &bench::ProgramRun::cpuMs), one / two);
    std::filesystem::remove_all(folder);
    return 0;
}
