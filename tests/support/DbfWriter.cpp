// In-memory DBF and FPT images for tests, laid out as dBase and FoxPro write them.
#include "DbfWriter.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void putLittle(ByteImage& image, std::size_t offset, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        image[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

void putBig(ByteImage& image, std::size_t offset, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        image[offset + static_cast<std::size_t>(i)] =
            static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

} // namespace

DbfWriter& DbfWriter::addField(const std::string& name, char type, int length, int decimals,
                               int flags) {
    fields.push_back({name.substr(0, 10), type, length & 0xFF, decimals & 0xFF, flags & 0xFF});
    return *this;
}

DbfWriter& DbfWriter::addRecord(const std::vector<std::string>& values, bool deleted) {
    records.push_back({values, deleted});
    return *this;
}

DbfWriter& DbfWriter::setDisplacements(const std::vector<std::uint32_t>& displacements) {
    displacementOverrides = displacements;
    return *this;
}

DbfWriter& DbfWriter::setContainerArea(const std::string& path) {
    hasContainerArea = true;
    containerPath = path.substr(0, kContainerAreaBytes);
    return *this;
}

DbfWriter& DbfWriter::setRecordCount(std::uint32_t count) {
    hasRecordCount = true;
    recordCountOverride = count;
    return *this;
}

DbfWriter& DbfWriter::setLanguageDriver(std::uint8_t id) {
    languageDriver = id;
    return *this;
}

DbfWriter& DbfWriter::setVersionByte(std::uint8_t version) {
    versionByte = version;
    return *this;
}

int DbfWriter::headerLength() const {
    return 32 + 32 * static_cast<int>(fields.size()) + 1 +
           (hasContainerArea ? kContainerAreaBytes : 0);
}

int DbfWriter::recordLength() const {
    int length = 1;
    for (const Field& field : fields)
        length += field.length;
    return length;
}

std::uint32_t DbfWriter::computedDisplacement(int index) const {
    std::uint32_t displacement = 1;
    for (int i = 0; i < index; ++i)
        displacement += static_cast<std::uint32_t>(fields[static_cast<std::size_t>(i)].length);
    return displacement;
}

ByteImage DbfWriter::image() const {
    ByteImage image(static_cast<std::size_t>(headerLength()), 0);
    writeHeader(image);
    for (const Record& record : records)
        writeRecord(image, record);
    image.push_back(0x1A);
    return image;
}

void DbfWriter::writeHeader(ByteImage& image) const {
    image[0] = versionByte >= 0   ? static_cast<unsigned char>(versionByte)
               : hasContainerArea ? 0x30
                                  : 0x03;
    image[1] = 124; // last update 2024-06-15
    image[2] = 6;
    image[3] = 15;
    putLittle(image, 4, hasRecordCount ? recordCountOverride : records.size(), 4);
    putLittle(image, 8, static_cast<std::uint64_t>(headerLength()), 2);
    putLittle(image, 10, static_cast<std::uint64_t>(recordLength()), 2);
    image[29] = languageDriver;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& field = fields[i];
        int index = static_cast<int>(i);
        std::memcpy(&image[static_cast<std::size_t>(descriptorOffset(index))], field.name.data(),
                    field.name.size());
        image[static_cast<std::size_t>(descriptorOffset(index, 11))] =
            static_cast<unsigned char>(field.type);
        std::uint32_t displacement = i < displacementOverrides.size() ? displacementOverrides[i]
                                                                      : computedDisplacement(index);
        putLittle(image, static_cast<std::size_t>(descriptorOffset(index, 12)), displacement, 4);
        image[static_cast<std::size_t>(descriptorOffset(index, 16))] =
            static_cast<unsigned char>(field.length);
        image[static_cast<std::size_t>(descriptorOffset(index, 17))] =
            static_cast<unsigned char>(field.decimals);
        image[static_cast<std::size_t>(descriptorOffset(index, 18))] =
            static_cast<unsigned char>(field.flags);
    }
    std::size_t terminator =
        static_cast<std::size_t>(descriptorOffset(static_cast<int>(fields.size())));
    image[terminator] = 0x0D;
    if (hasContainerArea)
        std::memcpy(&image[terminator + 1], containerPath.data(), containerPath.size());
}

void DbfWriter::writeRecord(ByteImage& image, const Record& record) const {
    image.push_back(record.deleted ? '*' : ' ');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string value = i < record.values.size() ? record.values[i] : std::string();
        value.resize(static_cast<std::size_t>(fields[i].length), ' ');
        image.insert(image.end(), value.begin(), value.end());
    }
}

bool DbfWriter::writeTo(const std::string& path) const {
    return writeFileBytes(path, image());
}

FptWriter::FptWriter(std::uint16_t blockSize) : blockSize(blockSize), bytes(kHeaderBytes, 0) {
    putBig(bytes, 6, blockSize, 2);
    storeNextFreeBlock();
}

std::uint32_t FptWriter::addMemo(const std::string& text) {
    return addMemo(text, static_cast<std::uint32_t>(text.size()));
}

std::uint32_t FptWriter::addMemo(const std::string& text, std::uint32_t storedLength) {
    // The header takes whole blocks; every memo starts on a block boundary.
    std::size_t start = (bytes.size() + blockSize - 1) / blockSize * blockSize;
    bytes.resize(start + 8, 0);
    putBig(bytes, start, 1, 4); // block type: text
    putBig(bytes, start + 4, storedLength, 4);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.resize((bytes.size() + blockSize - 1) / blockSize * blockSize, 0);
    storeNextFreeBlock();
    return static_cast<std::uint32_t>(start / blockSize);
}

void FptWriter::storeNextFreeBlock() {
    putBig(bytes, 0, (bytes.size() + blockSize - 1) / blockSize, 4);
}

bool FptWriter::writeTo(const std::string& path) const {
    return writeFileBytes(path, bytes);
}

std::string int32Bytes(std::int32_t value) {
    return uint32Bytes(static_cast<std::uint32_t>(value));
}

std::string uint32Bytes(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return bytes;
}

std::string int64Bytes(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return uint32Bytes(static_cast<std::uint32_t>(bits)) +
           uint32Bytes(static_cast<std::uint32_t>(bits >> 32));
}

std::string doubleBytes(double value) {
    std::int64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return int64Bytes(bits);
}

std::string memoFieldText(std::uint32_t block, int width) {
    std::string digits = std::to_string(block);
    if (digits.size() >= static_cast<std::size_t>(width))
        return digits;
    return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

bool writeFileBytes(const std::string& path, const ByteImage& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

ByteImage readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteImage(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
