// The memo-heavy benchmark table: a FoxPro 2 file in code page 850 with its FPT memo file.
#pragma once

#include <string>

namespace bench {

// Records in the generated memo table: a code, a name and one memo field. A tenth of the
// memos are blank, one in a hundred holds 2,000 to 3,000 bytes, the others 1 to 600 bytes
// of words with national letters.
constexpr int kMemoRecords = 200000;

// Writes the table and its memo file once per process into the temporary folder and
// answers the table's path; the memo file lies beside it under the same stem.
const std::string& generatedMemoTablePath();
// The memo file's path.
std::string generatedMemoFilePath();
// Deletes both files.
void removeGeneratedMemoTable();

} // namespace bench
