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

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The real and processor time of one process, from its start to its exit.
struct ProcessTimes {
    double realMs = 0;
    double cpuMs = 0;
};

double milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

// Runs the program with its standard output thrown away; exits the benchmark when it fails.
ProcessTimes timeProcess(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "process_bench: cannot run %s: %s\n", argv[0], std::strerror(spawned));
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "process_bench: %s failed\n", argv[0]);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime)};
}

std::string folderOfThisProgram() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    const std::string self(path.data(), static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

// One table's turns: its load and pgdbf on the same file, and the ratio the issue asks of them.
struct Contest {
    const char* name;
    std::string table;
    std::vector<std::string> pgdbfArguments;
    double goal;
    std::vector<ProcessTimes> loads;
    std::vector<ProcessTimes> pgdbfs;
};

double best(const std::vector<ProcessTimes>& times, double ProcessTimes::*member) {
    double least = times.front().*member;
    for (const ProcessTimes& time : times)
        least = std::min(least, time.*member);
    return least;
}

double worst(const std::vector<ProcessTimes>& times, double ProcessTimes::*member) {
    double most = 0;
    for (const ProcessTimes& time : times)
        most = std::max(most, time.*member);
    return most;
}

const char* verdict(double ratio, double goal) {
    return ratio >= goal ? "met" : "not met";
}

void printContest(const Contest& contest) {
    std::vector<double> ratios;
    for (std::size_t round = 0; round < contest.loads.size(); ++round)
        ratios.push_back(contest.pgdbfs[round].realMs / contest.loads[round].realMs);
    const auto [fewest, most] = std::minmax_element(ratios.begin(), ratios.end());
    const double load = best(contest.loads, &ProcessTimes::realMs);
    const double pgdbf = best(contest.pgdbfs, &ProcessTimes::realMs);
    const double loadCpu = best(contest.loads, &ProcessTimes::cpuMs);
    const double pgdbfCpu = best(contest.pgdbfs, &ProcessTimes::cpuMs);
    std::printf("%s file as a process: load %.0f-%.0f ms (processor %.0f-%.0f), pgdbf %.0f-%.0f "
                "ms (processor %.0f-%.0f): %.2f x as fast by the clock, best against best "
                "(%.2f-%.2f round by round), %.2f x by processor time; goal %.0f x: %s by the "
                "clock, %s by processor time\n",
                contest.name, load, worst(contest.loads, &ProcessTimes::realMs), loadCpu,
                worst(contest.loads, &ProcessTimes::cpuMs), pgdbf,
                worst(contest.pgdbfs, &ProcessTimes::realMs), pgdbfCpu,
                worst(contest.pgdbfs, &ProcessTimes::cpuMs), pgdbf / load, *fewest, *most,
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
    const std::string loader = folderOfThisProgram() + "/load_once";
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
            const ProcessTimes load =
                timeProcess({loader, contest.table, "LOADED" + std::to_string(loadNumber++)});
            const ProcessTimes converter = timeProcess(pgdbf);
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
