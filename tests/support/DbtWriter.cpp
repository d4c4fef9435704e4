// In-memory DBT images for tests.
#include "DbtWriter.h"

namespace {

constexpr std::size_t kHeaderBytes = 512;

void putLittle32(ByteImage& image, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        image[offset + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

DbtWriter::DbtWriter(std::uint32_t blockBytes) : blockBytes(blockBytes), bytes(kHeaderBytes, 0) {}

DbtWriter DbtWriter::dBase3() {
    DbtWriter writer(512);
    writer.bytes[16] = 0x03; // dBase III's version mark
    writer.putNextFreeBlock();
    return writer;
}

DbtWriter DbtWriter::dBase4(std::uint16_t blockSize) {
    DbtWriter writer(blockSize == 0 ? 512 : blockSize);
    writer.marked = true;
    writer.bytes[20] = static_cast<unsigned char>(blockSize);
    writer.bytes[21] = static_cast<unsigned char>(blockSize >> 8);
    writer.putNextFreeBlock();
    return writer;
}

std::uint32_t DbtWriter::addMemo(const std::string& text) {
    if (marked)
        return addMarkedMemo(text, static_cast<std::uint32_t>(text.size() + 8));
    const std::uint32_t block = startBlock();
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0x1A);
    bytes.push_back(0x1A);
    padToBlock();
    return block;
}

std::uint32_t DbtWriter::addMarkedMemo(const std::string& text, std::uint32_t storedLength) {
    const std::uint32_t block = startBlock();
    const std::size_t start = bytes.size();
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0x08, 0x00, 0, 0, 0, 0});
    putLittle32(bytes, start + 4, storedLength);
    bytes.insert(bytes.end(), text.begin(), text.end());
    padToBlock();
    return block;
}

std::uint32_t DbtWriter::addPlainText(const std::string& text) {
    const std::uint32_t block = startBlock();
    bytes.insert(bytes.end(), text.begin(), text.end());
    return block;
}

std::uint32_t DbtWriter::startBlock() {
    padToBlock();
    return static_cast<std::uint32_t>(bytes.size() / blockBytes);
}

void DbtWriter::padToBlock() {
    bytes.resize((bytes.size() + blockBytes - 1) / blockBytes * blockBytes, 0);
    putNextFreeBlock();
}

void DbtWriter::putNextFreeBlock() {
    putLittle32(bytes, 0, static_cast<std::uint32_t>((bytes.size() + blockBytes - 1) / blockBytes));
}

bool DbtWriter::writeTo(const std::string& path) const {
    return writeFileBytes(path, bytes);
}
