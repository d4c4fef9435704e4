// A whole load as a process of its own (load_once: open, map, check, connect, create, convert,
// bind, insert, commit) into the stand-in's AL32UTF8 database with its `unchecked` rule, so
// that the figure is the client's alone, beside Debian's pgdbf converting the same file to
// UTF-8. The two take turns, round after round, so that both meet the same load of a shared
// machine; the best of each counts, and the spread of the ratios round by round is shown too.
//
//     process_bench [--rounds=N]     (other arguments, those of Google Benchmark, are ignored)
#include "BenchSupport.h"
#include "MemoTable.h"

#include "support/StandinDatabase.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs the program to its end; a program that fails ends the benchmark.
bench::ProgramRun timeProcess(const std::vector<std::string>& arguments) {
    const bench::ProgramRun run = bench::runProgram(arguments);
    if (!run.succeeded) {
        std::fprintf(stderr, "process_bench: %s %s\n", arguments[0].c_str(),
                     run.started ? "failed" : "cannot be run");
        std::exit(1);
    }
    return run;
}

// One table's turns: its load and pgdbf on the same file, and the ratio the load should reach.
struct Contest {
    const char* name;
    std::string table;
    std::vector<std::string> pgdbfArguments;
    double goal;
    std::vector<bench::ProgramRun> loads;
    std::vector<bench::ProgramRun> pgdbfs;
};

using bench::best;
using bench::worst;

const char* verdict(double ratio, double goal) {
    return ratio >= goal ? "met" : "not met";
}

void printContest(const Contest& contest) {
    std::vector<double> ratios;
    for (std::size_t round = 0; round < contest.loads.size(); ++round)
        ratios.push_back(contest.pgdbfs[round].realMs / contest.loads[round].realMs);
    const auto [fewest, most] = std::minmax_element(ratios.begin(), ratios.end());
    const double load = best(contest.loads, &bench::ProgramRun::realMs);
    const double pgdbf = best(contest.pgdbfs, &bench::ProgramRun::realMs);
    const double loadCpu = best(contest.loads, &bench::ProgramRun::cpuMs);
    const double pgdbfCpu = best(contest.pgdbfs, &bench::ProgramRun::cpuMs);
    std::printf("%s file as a process: load %.0f-%.0f ms (processor %.0f-%.0f), pgdbf %.0f-%.0f "
                "ms (processor %.0f-%.0f): %.2f x as fast by the clock, best against best "
                "(%.2f-%.2f round by round), %.2f x by processor time; goal %.0f x: %s by the "
                "clock, %s by processor time\n",
                contest.name, load, worst(contest.loads, &bench::ProgramRun::realMs), loadCpu,
                worst(contest.loads, &bench::ProgramRun::cpuMs), pgdbf,
                worst(contest.pgdbfs, &bench::ProgramRun::realMs), pgdbfCpu,
                worst(contest.pgdbfs, &bench::ProgramRun::cpuMs), pgdbf / load, *fewest, *most,
                pgdbfCpu / loadCpu, contest.goal, verdict(pgdbf / load, contest.goal),
                verdict(pgdbfCpu / loadCpu, contest.goal));
}

int roundsFrom(int argc, char** argv) {
    int rounds = 7;
    for (int index = 1; index < argc; ++index)
        if (std::strncmp(argv[index], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[index] + 9));
    return rounds;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = roundsFrom(argc, argv);
    if (std::system("command -v pgdbf >/dev/null") != 0) {
        std::printf("process_bench: pgdbf is not installed (apt-get install pgdbf); skipped\n");
        return 0;
    }
    standin_test::StandinDatabase database;
    database.setCharacterSet("AL32UTF8");
    database.addUser("BENCH", "bench");
    database.useEnvironment("unchecked");
    const std::string loader = bench::folderOfThisProgram() + "/load_once";
    std::vector<Contest> contests = {
        {"plain", bench::generatedTablePath(), {"pgdbf", "-P", "-s", "cp437"}, 8, {}, {}},
        {"memo",
         bench::generatedMemoTablePath(),
         {"pgdbf", "-P", "-s", "cp850", "-m", bench::generatedMemoFilePath()},
         3,
         {},
         {}},
    };
    int loadNumber = 0;
    // Round 0 brings the files into the page cache and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        for (Contest& contest : contests) {
            std::vector<std::string> pgdbf = contest.pgdbfArguments;
            pgdbf.push_back(contest.table);
            const bench::ProgramRun load =
                timeProcess({loader, contest.table, "LOADED" + std::to_string(loadNumber++)});
            const bench::ProgramRun converter = timeProcess(pgdbf);
            if (round == 0)
                continue;
            contest.loads.push_back(load);
            contest.pgdbfs.push_back(converter);
        }
    }
    for (const Contest& contest : contests)
        printContest(contest);
    bench::removeGeneratedTable();
    bench::removeGeneratedMemoTable();
    return 0;
}
