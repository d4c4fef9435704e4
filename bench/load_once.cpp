// One load as a whole process, for process_bench: `load_once FILE TABLE [--typed]` carries FILE
// into TABLE of user BENCH on database ORCL of whatever client and database the environment
// names, and exits 0 when the load completed (else 1, with its last line on standard error).
#include "load/LoadJob.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--typed") != 0)) {
        std::fprintf(stderr, "usage: load_once FILE TABLE [--typed]\n");
        return 2;
    }
    LoadRequest request;
    request.fileName = argv[1];
    request.tableName = argv[2];
    request.userName = "BENCH";
    request.password = "bench";
    request.database = "ORCL";
    request.options.typedColumns = argc == 4;
    std::string message;
    std::string lastLine;
    LoadReporter reporter;
    reporter.statusLine = [&lastLine](const std::string& line) { lastLine = line; };
    reporter.message = [&message](const std::string& text) { message = text; };
    LoadStop stop;
    stop.arm();
    const LoadJob::Result result = LoadJob::run(request, reporter, stop);
    if (result.outcome == LoadJob::Outcome::Completed)
        return 0;
    std::fprintf(stderr, "load_once: %s\n", message.empty() ? lastLine.c_str() : message.c_str());
    return 1;
}
