// Descriptors to fields, for both header layouts.
#include "dbf/DbfFields.h"

#include <algorithm>

using namespace dbf_layout;

namespace {

bool isTextType(char type) {
    return type == 'C' || type == 'D' || type == 'F' || type == 'L' || type == 'N';
}

// Only the bytes before the terminator are descriptors: Visual FoxPro keeps the path of the
// table's database container after it, and dBase 7 its field properties.
std::size_t namedDescriptors(const unsigned char* header, std::uint32_t headerLength,
                             const DescriptorLayout& layout) {
    const std::size_t slots = descriptorLimit(layout, headerLength);
    std::size_t named = 0;
    for (std::size_t slot = 0; slot < slots; ++slot) {
        const unsigned char first = header[descriptorOffset(layout, slot)];
        if (first == kTerminator)
            break;
        if (first != 0)
            ++named;
    }
    return named;
}

DbfField readDescriptor(const unsigned char* descriptor, const DescriptorLayout& layout) {
    DbfField field{};
    field.type = static_cast<char>(descriptor[layout.typeOffset]);
    field.length = descriptor[layout.lengthOffset];
    field.decimals = descriptor[layout.decimalsOffset];
    if (layout.storedDisplacements) {
        field.displacement =
            static_cast<std::uint16_t>(readLittle16(descriptor + kDisplacementOffset));
        field.flags = descriptor[kFlagsOffset];
    }
    field.words = static_cast<std::uint8_t>((field.length + 7) / 8);
    const std::size_t lastBytes = field.length - 8 * (field.words > 0 ? field.words - 1 : 0);
    field.lastWordMask =
        lastBytes == 0 || lastBytes == 8 ? 0 : ~std::uint64_t{0} << (8 * lastBytes);
    field.isText = isTextType(field.type);
    return field;
}

void assignFlagBits(DbfFieldList& list) {
    std::vector<DbfField>& fields = list.fields;
    auto nullFlags = std::find_if(fields.begin(), fields.end(), [](const DbfField& field) {
        return isSystemDescriptor(field.type, field.flags);
    });
    for (DbfField& field : fields) {
        field.nullBit = field.shortBit = -1;
        field.isPlainText = field.isText;
    }
    // Without the system field a nullable flag or a 'V' field has no bits to read.
    if (nullFlags == fields.end())
        return;
    list.nullFlagsDisplacement = nullFlags->displacement;
    list.nullFlagsLength = nullFlags->length;
    // Bits go out in field order: a variable-length field's length bit first, then the null
    // bit of a nullable field. Bits past the system field's bytes are never set.
    const int bitCount = 8 * list.nullFlagsLength;
    int next = 0;
    for (DbfField& field : fields) {
        if (field.type == 'V' || field.type == 'Q') {
            field.shortBit = next < bitCount ? next : -1;
            ++next;
        }
        if ((field.flags & kNullableFieldFlag) != 0) {
            field.nullBit = next < bitCount ? next : -1;
            field.isPlainText = field.isText && field.nullBit < 0;
            ++next;
        }
    }
}

} // namespace

bool isSystemDescriptor(char type, std::uint8_t flags) {
    return type == kNullFlagsType && (flags & kSystemFieldFlag) != 0;
}

DbfFieldList readDbfFields(const unsigned char* header, std::uint32_t headerLength,
                           const DescriptorLayout& layout) {
    DbfFieldList list;
    // Fields are addressed by slot position, as the format lays them out contiguously.
    const std::size_t named = namedDescriptors(header, headerLength, layout);
    list.fields.reserve(named);
    for (std::size_t slot = 0; slot < named; ++slot) {
        DbfField field = readDescriptor(header + descriptorOffset(layout, slot), layout);
        if (!layout.storedDisplacements)
            field.displacement = static_cast<std::uint16_t>(
                std::min<std::uint64_t>(list.impliedRecordLength, UINT16_MAX));
        list.impliedRecordLength += field.length;
        if (field.isText)
            list.wordReadExtent =
                std::max<std::uint64_t>(list.wordReadExtent, field.displacement + 8u * field.words);
        list.fields.push_back(field);
    }
    assignFlagBits(list);
    return list;
}
