// Writes the sample customer table the demo loads: make_sample_table FILE.DBF RECORDS.
#include "support/SampleTable.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[2]) < 0) {
        std::fprintf(stderr, "usage: make_sample_table FILE.DBF RECORDS\n");
        return 2;
    }
    if (!writeSampleTable(argv[1], std::atoi(argv[2]))) {
        std::fprintf(stderr, "make_sample_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
