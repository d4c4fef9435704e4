// Header check and repair: both walk the same descriptors, so a repaired copy always passes
// the check that sent the load to it.
#include "dbf/DbfHeader.h"

#include "dbf/DbfDialect.h"
#include "dbf/DbfLayout.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <vector>

using namespace dbf_layout;

namespace {

constexpr int kLastWorkingCopyCounter = 10001;

// A displacement that the record layout fixes: where it is stored and what it must be.
struct ExpectedDisplacement {
    int field;
    std::size_t fileOffset;
    std::uint32_t value;
};

// The header as far as the file holds it: its stated length and its bytes up to that length.
struct Header {
    std::uint32_t length = 0;
    std::vector<unsigned char> bytes;
};

// False when not even the header length can be read.
bool readHeader(platform::BinaryFile& file, Header& header) {
    unsigned char lengthBytes[2];
    if (file.readAt(kHeaderLengthOffset, lengthBytes, sizeof lengthBytes) != sizeof lengthBytes)
        return false;
    header.length = readLittle16(lengthBytes);
    header.bytes.resize(header.length);
    header.bytes.resize(file.readAt(0, header.bytes.data(), header.bytes.size()));
    return true;
}

// The displacements of the descriptors in front of the terminator that have a length. A
// descriptor cut off by the end of the file has no length. Slots after the terminator are
// never fields: Visual FoxPro keeps the path of the table's database container there.
std::vector<ExpectedDisplacement> expectedDisplacements(const Header& header) {
    std::vector<ExpectedDisplacement> expected;
    // dBase 7 places values by the fields' lengths alone; its descriptors have no room for more.
    if (!header.bytes.empty() && dialectOf(header.bytes[0]).dBase7)
        return expected;
    std::size_t slots = slotLimit(header.length);
    std::size_t held = header.bytes.size();
    std::uint32_t next = 1; // after the deletion flag
    for (std::size_t slot = 0; slot < slots; ++slot) {
        std::size_t offset = slotOffset(slot);
        if (offset >= held || header.bytes[offset] == kTerminator)
            break;
        std::uint32_t length =
            offset + kLengthOffset < held ? header.bytes[offset + kLengthOffset] : 0;
        if (length != 0)
            expected.push_back({static_cast<int>(slot), offset + kDisplacementOffset, next});
        next += length;
    }
    return expected;
}

} // namespace

bool checkDbfHeader(const char* path) {
    return findDisplacementProblems(path).empty();
}

std::vector<DisplacementProblem> findDisplacementProblems(const char* path) {
    std::vector<DisplacementProblem> problems;
    platform::BinaryFile file;
    Header header;
    if (!file.open(path, platform::BinaryFile::Access::ReadShared) || !readHeader(file, header))
        return problems;
    for (const ExpectedDisplacement& expected : expectedDisplacements(header)) {
        const std::uint32_t stored = readLittle32(header.bytes.data() + expected.fileOffset);
        if (stored != expected.value)
            problems.push_back({expected.field, stored, expected.value});
    }
    return problems;
}

bool repairDbfHeader(const char* path) {
    platform::BinaryFile file;
    if (!file.open(path, platform::BinaryFile::Access::ReadWrite))
        return false;
    Header header;
    if (!readHeader(file, header))
        return true;
    for (const ExpectedDisplacement& expected : expectedDisplacements(header)) {
        const unsigned char bytes[4] = {static_cast<unsigned char>(expected.value),
                                        static_cast<unsigned char>(expected.value >> 8),
                                        static_cast<unsigned char>(expected.value >> 16),
                                        static_cast<unsigned char>(expected.value >> 24)};
        if (!file.writeAt(expected.fileOffset, bytes, sizeof bytes))
            return false;
    }
    return true;
}

std::string workingCopyName(const std::string& fileName, int counter) {
    return fileName + "." + std::to_string(counter) + ".tmp";
}

std::optional<std::string>
findFreeWorkingCopyName(const std::string& fileName,
                        const std::function<void(const std::string& name, bool exists)>& tried) {
    for (int counter = 0; counter <= kLastWorkingCopyCounter; ++counter) {
        std::string name = workingCopyName(fileName, counter);
        bool exists = platform::fileExists(name);
        if (tried)
            tried(name, exists);
        if (!exists)
            return name;
    }
    return std::nullopt;
}
