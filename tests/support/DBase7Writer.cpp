// In-memory dBase 7 images for tests.
#include "DBase7Writer.h"

#include <cstring>

namespace {

void putLittle(ByteImage& image, std::size_t offset, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        image[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

std::string bigEndian(std::uint64_t value, int bytes) {
    std::string text(static_cast<std::size_t>(bytes), '\0');
    for (int i = 0; i < bytes; ++i)
        text[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * (bytes - 1 - i)));
    return text;
}

} // namespace

DBase7Writer& DBase7Writer::addField(const std::string& name, char type, int length, int decimals) {
    fields.push_back({name.substr(0, 32), type, length & 0xFF, decimals & 0xFF});
    return *this;
}

DBase7Writer& DBase7Writer::addRecord(const std::vector<std::string>& values, bool deleted) {
    records.push_back(values);
    deletedFlags.push_back(deleted);
    return *this;
}

DBase7Writer& DBase7Writer::setMemo(bool memo) {
    hasMemo = memo;
    return *this;
}

DBase7Writer& DBase7Writer::setLanguageDriver(std::uint8_t id, const std::string& name) {
    languageDriver = id;
    languageDriverName = name.substr(0, 32);
    return *this;
}

DBase7Writer& DBase7Writer::setRecordLength(std::uint16_t length) {
    recordLengthOverride = length;
    return *this;
}

int DBase7Writer::impliedRecordLength() const {
    int length = 1;
    for (const Field& field : fields)
        length += field.length;
    return length;
}

ByteImage DBase7Writer::image() const {
    ByteImage image(static_cast<std::size_t>(headerLength()), 0);
    image[0] = hasMemo ? 0x8C : 0x04;
    image[1] = 124; // last update 2024-06-15
    image[2] = 6;
    image[3] = 15;
    putLittle(image, 4, records.size(), 4);
    putLittle(image, 8, static_cast<std::uint64_t>(headerLength()), 2);
    const int recordLength =
        recordLengthOverride >= 0 ? recordLengthOverride : impliedRecordLength();
    putLittle(image, 10, static_cast<std::uint64_t>(recordLength), 2);
    image[29] = languageDriver;
    std::memcpy(&image[32], languageDriverName.data(), languageDriverName.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t descriptor = 68 + 48 * i;
        std::memcpy(&image[descriptor], fields[i].name.data(), fields[i].name.size());
        image[descriptor + 32] = static_cast<unsigned char>(fields[i].type);
        image[descriptor + 33] = static_cast<unsigned char>(fields[i].length);
        image[descriptor + 34] = static_cast<unsigned char>(fields[i].decimals);
    }
    image[68 + 48 * fields.size()] = 0x0D;
    for (std::size_t r = 0; r < records.size(); ++r) {
        image.push_back(deletedFlags[r] ? '*' : ' ');
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string value = i < records[r].size() ? records[r][i] : std::string();
            value.resize(static_cast<std::size_t>(fields[i].length), ' ');
            image.insert(image.end(), value.begin(), value.end());
        }
    }
    image.push_back(0x1A);
    return image;
}

bool DBase7Writer::writeTo(const std::string& path) const {
    return writeFileBytes(path, image());
}

std::string dBase7LongBytes(std::int32_t value) {
    return bigEndian(static_cast<std::uint32_t>(value) ^ 0x80000000u, 4);
}

std::string dBase7DoubleBytes(double value) {
    // Positive values get their sign bit set, negative ones every bit inverted: the bytes of
    // any two values then compare as the values do.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    bits = (bits & 0x8000000000000000u) != 0 ? ~bits : bits | 0x8000000000000000u;
    return bigEndian(bits, 8);
}

std::string dBase7TimestampBytes(std::uint32_t julianDay, std::uint32_t milliseconds) {
    return bigEndian(julianDay, 4) + bigEndian(milliseconds, 4);
}
