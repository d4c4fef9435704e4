// The generated benchmark table, the floor and the best-time reporter.
#include "BenchSupport.h"

#include "platform/MappedFile.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

struct FieldSpec {
    const char* name;
    char type;
    int length;
};

// Ten fields of the four text types, 96 bytes a record with the deletion flag.
const FieldSpec kFields[] = {
    {"CUSTOMER", 'C', 20}, {"CITY", 'C', 15},  {"AMOUNT", 'N', 10}, {"QUANTITY", 'N', 8},
    {"ORDERED", 'D', 8},   {"PAID", 'L', 1},   {"CODE", 'C', 12},   {"RATE", 'N', 12},
    {"SHIPPED", 'D', 8},   {"ACTIVE", 'L', 1},
};

void fillValue(const FieldSpec& field, std::uint32_t seed, char* out) {
    char text[32];
    switch (field.type) {
    case 'C':
        std::snprintf(text, sizeof text, "Name %u", seed % 100000);
        break;
    case 'N':
        std::snprintf(text, sizeof text, "%*.*f", field.length, field.length > 8 ? 2 : 0,
                      (seed % 1000000) / 100.0);
        break;
    case 'D':
        std::snprintf(text, sizeof text, "%04u%02u%02u", 1990 + seed % 35, 1 + seed % 12,
                      1 + seed % 28);
        break;
    default:
        text[0] = (seed & 1) != 0 ? 'T' : 'F';
        text[1] = '\0';
    }
    std::size_t length = std::strlen(text);
    std::memset(out, ' ', static_cast<std::size_t>(field.length));
    std::memcpy(out, text,
                length < static_cast<std::size_t>(field.length)
                    ? length
                    : static_cast<std::size_t>(field.length));
}

void putLittle(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

void writeTable(const std::string& path, int records) {
    const int fieldCount = static_cast<int>(sizeof kFields / sizeof kFields[0]);
    const int headerLength = 32 + 32 * fieldCount + 1;
    int recordLength = 1;
    for (const FieldSpec& field : kFields)
        recordLength += field.length;

    std::vector<unsigned char> header(static_cast<std::size_t>(headerLength), 0);
    header[0] = 0x03;
    putLittle(&header[4], static_cast<std::uint32_t>(records), 4);
    putLittle(&header[8], static_cast<std::uint32_t>(headerLength), 2);
    putLittle(&header[10], static_cast<std::uint32_t>(recordLength), 2);
    int displacement = 1;
    for (int i = 0; i < fieldCount; ++i) {
        unsigned char* descriptor = &header[static_cast<std::size_t>(32 + 32 * i)];
        std::memcpy(descriptor, kFields[i].name, std::strlen(kFields[i].name));
        descriptor[11] = static_cast<unsigned char>(kFields[i].type);
        putLittle(descriptor + 12, static_cast<std::uint32_t>(displacement), 4);
        descriptor[16] = static_cast<unsigned char>(kFields[i].length);
        displacement += kFields[i].length;
    }
    header.back() = 0x0D;

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    std::fwrite(header.data(), 1, header.size(), file);
    std::vector<char> record(static_cast<std::size_t>(recordLength));
    std::uint32_t seed = 12345;
    for (int r = 0; r < records; ++r) {
        record[0] = ' ';
        char* at = record.data() + 1;
        for (const FieldSpec& field : kFields) {
            seed = seed * 1664525u + 1013904223u;
            fillValue(field, seed >> 8, at);
            at += field.length;
        }
        std::fwrite(record.data(), 1, record.size(), file);
    }
    std::fputc(0x1A, file);
    std::fclose(file);
}

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr ? folder : "/tmp";
}

std::string folderOfThisProgram() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    const std::string self(path.data(), static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

const std::string& generatedTablePath() {
    // Written once per run; its name is unique to the process.
    static const std::string path = [] {
        const std::string name = temporaryFolder() + "/marlin_bench_" +
                                 std::to_string(static_cast<long>(::getpid())) + ".dbf";
        writeTable(name, kRecords);
        return name;
    }();
    return path;
}

void removeGeneratedTable() {
    std::remove(generatedTablePath().c_str());
}

std::uint64_t sumOfBytes(const platform::MappedFile& file) {
    std::uint64_t sum = 0;
    const unsigned char* data = file.data();
    for (std::size_t i = 0; i < file.size(); ++i)
        sum += data[i];
    return sum;
}

namespace {

void countRecords(benchmark::State& state) {
    state.counters["records/s"] =
        benchmark::Counter(kRecords, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

void touchEveryByte(benchmark::State& state) {
    platform::MappedFile file;
    if (!file.open(generatedTablePath())) {
        state.SkipWithError("cannot map the generated table");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(sumOfBytes(file));
    countRecords(state);
}

void touchEveryByteFreshlyMapped(benchmark::State& state) {
    for (auto _ : state) {
        platform::MappedFile file;
        if (!file.open(generatedTablePath())) {
            state.SkipWithError("cannot map the generated table");
            return;
        }
        benchmark::DoNotOptimize(sumOfBytes(file));
    }
    countRecords(state);
}

namespace {

double milliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

} // namespace

ProgramRun runProgram(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ProgramRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    run.started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!run.started)
        return run;
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.realMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double best(const std::vector<ProgramRun>& runs, double ProgramRun::*member) {
    double least = runs.front().*member;
    for (const ProgramRun& run : runs)
        least = std::min(least, run.*member);
    return least;
}

double worst(const std::vector<ProgramRun>& runs, double ProgramRun::*member) {
    double most = 0;
    for (const ProgramRun& run : runs)
        most = std::max(most, run.*member);
    return most;
}

void BestTimesReporter::ReportRuns(const std::vector<Run>& runs) {
    // Other processes on the machine only ever slow a run down, so the best one counts.
    for (const Run& run : runs) {
        bool usable = run.run_type == Run::RT_Iteration ||
                      (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median");
        if (!usable)
            continue;
        Times& best = times_[run.run_name.function_name];
        double real = run.GetAdjustedRealTime();
        double cpu = run.GetAdjustedCPUTime();
        if (best.real == 0 || real < best.real)
            best.real = real;
        if (best.cpu == 0 || cpu < best.cpu)
            best.cpu = cpu;
    }
    ConsoleReporter::ReportRuns(runs);
}

BestTimesReporter::Times BestTimesReporter::best(const std::string& benchmarkName) const {
    auto found = times_.find(benchmarkName);
    return found != times_.end() ? found->second : Times{};
}

} // namespace bench
