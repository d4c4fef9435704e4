// One load as a whole process, for process_bench: `load_once FILE TABLE [--typed]` carries FILE
// into TABLE of user BENCH on database ORCL of whatever client and database the environment
// names, and exits 0 when the load completed (else 1, with its last line on standard error).
#include "load/LoadJob.h"
#include "load/LoadState.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--typed") != 0)) {
        std::fprintf(stderr, "usage: load_once FILE TABLE [--typed]\n");
        return 2;
    }
    LoadTexts texts;
    texts.fileName = argv[1];
    texts.tableName = argv[2];
    texts.userName = "BENCH";
    texts.password = "bench";
    texts.database = "ORCL";
    texts.options.typedColumns = argc == 4;
    setLoadParams(texts);
    std::string message;
    setLoadHooks({{}, {}, [&message](const char* text) { message = text; }});
    LoadStatus::loadActive = 1;
    const LoadJob::Result result = LoadJob::runWithResult();
    if (result.outcome == LoadJob::Outcome::Completed)
        return 0;
    std::fprintf(stderr, "load_once: %s\n",
                 message.empty() ? LoadStatus::statusText.c_str() : message.c_str());
    return 1;
}
