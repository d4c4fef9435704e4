// DbfTable's opening: the header read once, the memo file found, and the header's answers
// for people who look inside a table. The values are read in DbfTable.cpp.
#include "dbf/DbfTable.h"

#include "dbf/DbfLayout.h"
#include "dbf/LanguageDriver.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

using namespace dbf_layout;

namespace {

// A name padded with zero bytes, as a descriptor or a dBase 7 header holds it.
std::string paddedName(const unsigned char* bytes, std::size_t maximum) {
    const void* zero = std::memchr(bytes, 0, maximum);
    return std::string(reinterpret_cast<const char*>(bytes),
                       zero != nullptr ? static_cast<const unsigned char*>(zero) - bytes
                                       : static_cast<std::ptrdiff_t>(maximum));
}

constexpr const char* kCannotOpenText =
    "Cannot open file. Check that file exists and not used by any applications.";
constexpr const char* kTooShortText =
    "Cannot read file: it is too short to hold the header of a table.";

// Why the file cannot be opened, in words that point the user at the cause.
std::string cannotOpenText(const platform::FileProblem& problem) {
    using Kind = platform::FileProblem::Kind;
    switch (problem.kind) {
    case Kind::Folder:
        return "Cannot open file: it is a folder.";
    case Kind::NotRegular:
        return "Cannot open file: it is " + problem.what + ", not a regular file.";
    case Kind::Denied:
        return "Cannot open file: permission to read it is denied.";
    case Kind::LinkLoop:
        return "Cannot open file: its name leads through a loop of symbolic links.";
    case Kind::Other:
        return "Cannot open file: " + problem.what + ".";
    default:
        return kCannotOpenText;
    }
}

} // namespace

bool DbfTable::open(const char* fileName, const char* memoSourceName) {
    close();
    if (fileName == nullptr)
        return refuse(OpenFailure::CannotOpen, kCannotOpenText);
    // A look before the mapping: a FIFO or a device is never opened for reading, and the user
    // learns which of the ways a name can fail this one took.
    const platform::FileProblem problem = platform::examineFileToRead(fileName);
    if (problem.kind != platform::FileProblem::Kind::None)
        return refuse(OpenFailure::CannotOpen, cannotOpenText(problem));
    if (problem.bytes == 0)
        return refuse(OpenFailure::TooShort, kTooShortText);
    if (!dbf.open(fileName))
        return refuse(OpenFailure::CannotOpen, kCannotOpenText);
    if (!readHeader())
        return false;
    placeRecord(0);
    // The files that go with a table lie beside the user's file, not beside a working copy.
    const std::string sourceName = memoSourceName != nullptr ? memoSourceName : fileName;
    memo.open(sourceName, tableDialect);
    codePageNames.read(sourceName);
    return true;
}

bool DbfTable::readHeader() {
    if (dbf.size() < kHeaderBytes)
        return refuse(OpenFailure::TooShort, kTooShortText);
    const std::uint32_t headerLength = readLittle16(dbf.data() + kHeaderLengthOffset);
    if (headerLength > dbf.size())
        return refuse(OpenFailure::HeaderPastEnd, "Cannot read file: its header claims " +
                                                      std::to_string(headerLength) +
                                                      " bytes, more than the file holds.");
    version = dbf.data()[0];
    tableDialect = dialectOf(version);
    layout = tableDialect.dBase7 ? kDBase7Descriptors : kClassicDescriptors;
    // A dBase 7 header needs its fixed part and a terminator before the header length.
    if (tableDialect.dBase7 && headerLength < layout.firstOffset + 1)
        return refuse(OpenFailure::HeaderDoesNotAddUp,
                      "Cannot read file: its dBase 7 header does not add up: it claims " +
                          std::to_string(headerLength) + " bytes, fewer than the " +
                          std::to_string(layout.firstOffset + 1) + " of its fixed part.");
    declaredRecords = readLittle32(dbf.data() + kRecordCountOffset);
    recordLength = readLittle16(dbf.data() + kRecordLengthOffset);
    firstRecordOffset = headerLength;
    languageDriverId = dbf.data()[kLanguageDriverOffset];
    fileCodePage = codePageOfLanguageDriver(languageDriverId);
    heldRecords = wholeRecordsHeld();
    records = wholeRecordCount();
    const DbfFieldList fieldList = readDbfFields(dbf.data(), headerLength, layout);
    // Without stored displacements the fields' lengths alone place the values: fields that
    // reach past the record would read the next one's bytes.
    if (!layout.storedDisplacements && fieldList.impliedRecordLength > recordLength)
        return refuse(OpenFailure::HeaderDoesNotAddUp,
                      "Cannot read file: its dBase 7 header does not add up: the fields take " +
                          std::to_string(fieldList.impliedRecordLength) + " bytes of a record of " +
                          std::to_string(recordLength) + ".");
    takeFields(fieldList);
    return true;
}

bool DbfTable::refuse(OpenFailure why, const std::string& text) {
    close();
    failure = why;
    failureText = text;
    return false;
}

void DbfTable::takeFields(const DbfFieldList& list) {
    fields = list.fields;
    nullFlagsDisplacement = list.nullFlagsDisplacement;
    nullFlagsLength = list.nullFlagsLength;
    wordReadExtent = list.wordReadExtent;
}

void DbfTable::close() {
    dbf.close();
    memo.close();
    codePageNames.clear();
    fields.clear();
    failure = OpenFailure::None;
    failureText.clear();
    records = 0;
    heldRecords = 0;
    currentRecord = 0;
    version = 0;
    tableDialect = dialectOf(0);
    layout = kClassicDescriptors;
    declaredRecords = 0;
    recordLength = 0;
    firstRecordOffset = 0;
    languageDriverId = 0;
    fileCodePage = 0;
    nullFlagsDisplacement = 0;
    nullFlagsLength = 0;
    recordOffset = 0;
    wordReadExtent = 0;
    wordsInsideFile = false;
}

std::uint64_t DbfTable::wholeRecordsHeld() const {
    // A record holds at least its deletion flag; a zero length would repeat record 0
    // for every count the header claims.
    if (recordLength == 0)
        return 0;
    std::uint64_t bytes = dbf.size() - firstRecordOffset;
    // dBase ends the records with one end-of-file byte: no record when the bytes before it
    // are whole records, records of one byte (the deletion flag alone) too.
    if (bytes > 0 && dbf.data()[dbf.size() - 1] == kEndOfFileByte &&
        (bytes - 1) % recordLength == 0)
        --bytes;
    return bytes / recordLength;
}

int DbfTable::wholeRecordCount() const {
    const std::uint32_t declared = declaredRecords;
    std::uint64_t count = declared < heldRecords ? declared : heldRecords;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

bool DbfTable::fieldName(int index, char* out) const {
    if (index < 0 || index >= fieldCount())
        return false;
    std::memcpy(out, dbf.data() + descriptorOffset(layout, static_cast<std::size_t>(index)),
                kNameBytes);
    return true;
}

std::string DbfTable::fieldName(int index) const {
    if (index < 0 || index >= fieldCount())
        return "";
    return paddedName(dbf.data() + descriptorOffset(layout, static_cast<std::size_t>(index)),
                      layout.nameBytes);
}

bool DbfTable::holdsMemoPointer() {
    // A table without memo fields need not be read.
    if (std::none_of(fields.begin(), fields.end(),
                     [](const Field& field) { return field.type == 'M'; }))
        return false;
    const int kept = currentRecord;
    bool found = false;
    for (int record = 0; record < records && !found; ++record) {
        placeRecord(record);
        for (const Field& field : fields) {
            std::uint64_t block = 0;
            if (field.type == 'M' && !(field.nullBit >= 0 && flagBitSet(field.nullBit)) &&
                readMemoBlock(field, block)) {
                found = true;
                break;
            }
        }
    }
    placeRecord(kept);
    return found;
}

std::string DbfTable::languageDriverName() const {
    if (!isOpen() || !tableDialect.dBase7)
        return "";
    return paddedName(dbf.data() + kLanguageDriverNameOffset, kLanguageDriverNameBytes);
}

DbfFieldInfo DbfTable::fieldInfo(int index) const {
    DbfFieldInfo info;
    if (index < 0 || index >= fieldCount())
        return info;
    const Field& field = fields[static_cast<std::size_t>(index)];
    info.name = fieldName(index);
    info.type = field.type;
    info.length = field.length;
    info.decimals = field.decimals;
    info.nullBit = field.nullBit;
    info.lengthBit = field.shortBit;
    info.system = isSystemDescriptor(field.type, field.flags);
    return info;
}
