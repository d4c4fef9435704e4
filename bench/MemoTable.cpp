// Writes the memo-heavy benchmark table: FoxPro 2's layout, memos in 64-byte blocks.
#include "MemoTable.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

namespace {

constexpr unsigned kBlockBytes = 64;
constexpr int kCodeLength = 8;
constexpr int kNameLength = 24;
constexpr int kMemoFieldLength = 10;
constexpr int kRecordLength = 1 + kCodeLength + kNameLength + kMemoFieldLength;

// Letters of code page 850's upper half: é ü ä ç ö ñ Ä Ö Ü ß.
constexpr unsigned char kNationalLetters[] = {0x82, 0x81, 0x84, 0x87, 0x94,
                                              0xA4, 0x8E, 0x99, 0x9A, 0xE1};

// A small generator, so that every run writes the same files.
struct Random {
    std::uint32_t state = 2024;
    std::uint32_t next(std::uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    }
};

std::string stemPath() {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr ? folder : "/tmp") + "/marlin_bench_memo_" +
           std::to_string(static_cast<long>(::getpid())) + ".";
}

// Words of lower-case letters, one letter in eight a national one, now and then a line end.
void appendWords(std::string& text, std::size_t length, Random& random) {
    while (text.size() < length) {
        const std::uint32_t letters = 2 + random.next(8);
        for (std::uint32_t i = 0; i < letters; ++i)
            text += random.next(8) == 0
                        ? static_cast<char>(kNationalLetters[random.next(sizeof kNationalLetters)])
                        : static_cast<char>('a' + random.next(26));
        text += random.next(12) == 0 ? "\r\n" : " ";
    }
    text.resize(length);
}

std::size_t memoLength(Random& random) {
    const std::uint32_t kind = random.next(100);
    if (kind < 10)
        return 0;
    if (kind == 10)
        return 2000 + random.next(1001);
    return 1 + random.next(600);
}

void putBig32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

void putLittle(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::vector<unsigned char> tableHeader() {
    const char* names[] = {"CODE", "NAME", "NOTES"};
    const char types[] = {'C', 'C', 'M'};
    const int lengths[] = {kCodeLength, kNameLength, kMemoFieldLength};
    const int headerLength = 32 + 32 * 3 + 1;
    std::vector<unsigned char> header(static_cast<std::size_t>(headerLength), 0);
    header[0] = 0xF5; // FoxPro 2 with a memo file
    putLittle(&header[4], kMemoRecords, 4);
    putLittle(&header[8], static_cast<std::uint32_t>(headerLength), 2);
    putLittle(&header[10], kRecordLength, 2);
    header[29] = 0x02; // code page 850
    int displacement = 1;
    for (int i = 0; i < 3; ++i) {
        unsigned char* descriptor = &header[static_cast<std::size_t>(32 + 32 * i)];
        std::memcpy(descriptor, names[i], std::strlen(names[i]));
        descriptor[11] = static_cast<unsigned char>(types[i]);
        putLittle(descriptor + 12, static_cast<std::uint32_t>(displacement), 4);
        descriptor[16] = static_cast<unsigned char>(lengths[i]);
        displacement += lengths[i];
    }
    header.back() = 0x0D;
    return header;
}

// Appends one memo's blocks and answers its first block number.
std::uint32_t appendMemo(std::vector<unsigned char>& memo, const std::string& text) {
    const auto block = static_cast<std::uint32_t>(memo.size() / kBlockBytes);
    const std::size_t start = memo.size();
    const std::size_t used = 8 + text.size();
    memo.resize(start + (used + kBlockBytes - 1) / kBlockBytes * kBlockBytes, 0);
    putBig32(memo, start, 1);
    putBig32(memo, start + 4, static_cast<std::uint32_t>(text.size()));
    std::memcpy(&memo[start + 8], text.data(), text.size());
    return block;
}

void writeBytes(const std::string& path, const void* bytes, std::size_t count) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes, 1, count, file) != count)
        std::abort();
    std::fclose(file);
}

std::string writeTables() {
    const std::string stem = stemPath();
    std::vector<unsigned char> table = tableHeader();
    std::vector<unsigned char> memo(512, 0);
    memo[7] = kBlockBytes; // the block size, big-endian at offset 6
    Random random;
    std::string text;
    char field[kRecordLength + 1];
    for (int record = 0; record < kMemoRecords; ++record) {
        text.clear();
        appendWords(text, kNameLength, random);
        std::snprintf(field, sizeof field, " K%07d%s", record, text.c_str());
        text.clear();
        appendWords(text, memoLength(random), random);
        if (text.empty())
            std::snprintf(field + 1 + kCodeLength + kNameLength, kMemoFieldLength + 1, "%10s", "");
        else
            std::snprintf(field + 1 + kCodeLength + kNameLength, kMemoFieldLength + 1, "%10u",
                          appendMemo(memo, text));
        table.insert(table.end(), field, field + kRecordLength);
    }
    table.push_back(0x1A);
    putBig32(memo, 0, static_cast<std::uint32_t>(memo.size() / kBlockBytes));
    writeBytes(stem + "dbf", table.data(), table.size());
    writeBytes(stem + "FPT", memo.data(), memo.size());
    return stem + "dbf";
}

} // namespace

const std::string& generatedMemoTablePath() {
    static const std::string path = writeTables();
    return path;
}

std::string generatedMemoFilePath() {
    const std::string& table = generatedMemoTablePath();
    return table.substr(0, table.size() - 3) + "FPT";
}

void removeGeneratedMemoTable() {
    std::remove(generatedMemoFilePath().c_str());
    std::remove(generatedMemoTablePath().c_str());
}

} // namespace bench
