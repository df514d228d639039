#include "shared/library/hive/Hive.h"

#include <algorithm>
#include <utility>

namespace Velmar {
namespace hive {

namespace {

// Base block fields (offsets from the start of the file).
constexpr uint64_t kPrimarySequenceAt = 4;
constexpr uint64_t kSecondarySequenceAt = 8;
constexpr uint64_t kWrittenAt = 12;
constexpr uint64_t kMajorAt = 20;
constexpr uint64_t kMinorAt = 24;
constexpr uint64_t kFileTypeAt = 28;
constexpr uint64_t kRootCellAt = 36;
constexpr uint64_t kBinsSizeAt = 40;
constexpr uint64_t kClusteringAt = 44;
constexpr uint64_t kChecksumAt = 508;
constexpr uint32_t kMinMinor = 3;
constexpr uint32_t kMaxMinor = 6;

// Key node fields (offsets in the cell's data).
constexpr uint64_t kKeyFlagsAt = 2;
constexpr uint64_t kSubKeyCountAt = 20;
constexpr uint64_t kSubKeyListAt = 28;
constexpr uint64_t kValueCountAt = 36;
constexpr uint64_t kValueListAt = 40;
constexpr uint64_t kKeyNameLengthAt = 72;
constexpr uint64_t kKeyNameAt = 76;
constexpr uint16_t kKeyCompressedName = 0x0020;

// Value fields.
constexpr uint64_t kValueNameLengthAt = 2;
constexpr uint64_t kDataSizeAt = 4;
constexpr uint64_t kDataOffsetAt = 8;
constexpr uint64_t kValueTypeAt = 12;
constexpr uint64_t kValueFlagsAt = 16;
constexpr uint64_t kValueNameAt = 20;
constexpr uint16_t kValueCompressedName = 0x0001;
// The high bit of the data size: the data (four bytes at most) sits in the
// data offset field itself.
constexpr uint32_t kDataInline = 0x80000000u;
constexpr uint32_t kMaxInline = 4;

// Big data ("db", format 1.4 and later): data over one segment's size is
// split into segments listed by the record.
constexpr uint32_t kSegmentSize = 16344;
constexpr uint32_t kBigDataMinor = 4;
constexpr uint64_t kSegmentCountAt = 2;
constexpr uint64_t kSegmentListAt = 4;

// Subkey lists: a count at 2, elements from 4.
constexpr uint64_t kListCountAt = 2;
constexpr uint64_t kListElementsAt = 4;

}  // namespace

uint32_t baseBlockChecksum(const ByteReader& bytes) {
    uint32_t sum = 0;
    for (uint64_t at = 0; at < kChecksumAt; at += 4) {
        uint32_t word = 0;
        bytes.u32(at, word);
        sum ^= word;
    }
    return sum;
}

bool readBaseBlock(const ByteReader& bytes, BaseBlock& block) {
    // A log holds only the first sector of a base block; every field is there.
    if (!bytes.holds(0, kBaseBlockSector) || !bytes.hasTag(0, "regf", 4)) return false;
    BaseBlock read;
    bytes.u32(kPrimarySequenceAt, read.primarySequence);
    bytes.u32(kSecondarySequenceAt, read.secondarySequence);
    bytes.u64(kWrittenAt, read.written);
    bytes.u32(kMajorAt, read.major);
    bytes.u32(kMinorAt, read.minor);
    bytes.u32(kFileTypeAt, read.fileType);
    bytes.u32(kRootCellAt, read.rootCell);
    bytes.u32(kBinsSizeAt, read.binsSize);
    bytes.u32(kClusteringAt, read.clustering);
    uint32_t checksum = 0;
    bytes.u32(kChecksumAt, checksum);
    read.checksumOk = checksum == baseBlockChecksum(bytes);
    block = read;
    return true;
}

bool storedName(const ByteReader& bytes, uint64_t offset, uint32_t length, bool compressed,
                std::u16string& name) {
    ByteReader raw;
    if (!bytes.sub(offset, length, raw)) return false;
    // Nothing fails past this point: the name is written in place, keeping
    // its room from one name to the next.
    if (compressed) {
        name.assign(raw.begin(), raw.end());
    } else {
        name.resize(length / 2);
        for (size_t i = 0; i < name.size(); ++i) {
            uint16_t unit = 0;
            raw.u16(2 * i, unit);
            name[i] = static_cast<char16_t>(unit);
        }
    }
    return true;
}

Hive::Hive(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    const ByteReader file(bytes_.data(), bytes_.size());
    if (file.size() < kBaseBlockSize || !readBaseBlock(file, base_)) {
        status_ = HiveStatus::kNoBaseBlock;
        return;
    }
    if (base_.major != 1 || base_.minor < kMinMinor || base_.minor > kMaxMinor) {
        status_ = HiveStatus::kVersion;
        return;
    }
    // Bins the base block claims but the file lacks are simply not there:
    // cells that point into them are damaged.
    const uint64_t held = std::min<uint64_t>(base_.binsSize, file.size() - kBaseBlockSize);
    if (held == 0) {
        status_ = HiveStatus::kNoHiveBins;
        return;
    }
    file.sub(kBaseBlockSize, held, bins_);
    status_ = HiveStatus::kOk;
}

bool Hive::cell(uint32_t offset, ByteReader& data) const {
    uint32_t raw = 0;
    if (!bins_.u32(offset, raw)) return false;
    const int32_t size = static_cast<int32_t>(raw);
    // Allocated cells have a negative size; it counts its own four bytes.
    if (size >= 0 || size == INT32_MIN) return false;
    const uint64_t length = static_cast<uint64_t>(-static_cast<int64_t>(size));
    if (length < 4) return false;
    return bins_.sub(uint64_t{offset} + 4, length - 4, data);
}

bool Hive::readKey(uint32_t offset, KeyNode& key) const {
    ByteReader data;
    uint16_t flags = 0;
    uint16_t nameLength = 0;
    if (!cell(offset, data) || !data.hasTag(0, "nk", 2) || !data.u16(kKeyFlagsAt, flags) ||
        !data.u32(kSubKeyCountAt, key.subKeyCount) || !data.u32(kSubKeyListAt, key.subKeyList) ||
        !data.u32(kValueCountAt, key.valueCount) || !data.u32(kValueListAt, key.valueList) ||
        !data.u16(kKeyNameLengthAt, nameLength)) {
        return false;
    }
    key.cell = offset;
    return storedName(data, kKeyNameAt, nameLength, (flags & kKeyCompressedName) != 0, key.name);
}

bool Hive::readLeaf(const ByteReader& list, std::vector<uint32_t>& cells) const {
    uint16_t count = 0;
    list.u16(kListCountAt, count);
    // "li" holds bare offsets; "lf" and "lh" an offset and a hint or hash.
    uint64_t stride = 0;
    if (list.hasTag(0, "li", 2)) {
        stride = 4;
    } else if (list.hasTag(0, "lf", 2) || list.hasTag(0, "lh", 2)) {
        stride = 8;
    } else {
        return false;
    }
    if (!list.holds(kListElementsAt, stride * count)) return false;
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        list.u32(kListElementsAt + stride * i, offset);
        cells.push_back(offset);
    }
    return true;
}

bool Hive::subKeyCells(const KeyNode& key, std::vector<uint32_t>& cells) const {
    cells.clear();
    if (key.subKeyCount == 0) return true;
    ByteReader list;
    if (!cell(key.subKeyList, list)) return false;
    if (!list.hasTag(0, "ri", 2)) return readLeaf(list, cells);
    // An index root lists leaves; a leaf never lists another root.
    uint16_t count = 0;
    if (!list.u16(kListCountAt, count) || !list.holds(kListElementsAt, uint64_t{4} * count)) {
        return false;
    }
    for (uint64_t i = 0; i < count; ++i) {
        uint32_t offset = 0;
        ByteReader leaf;
        list.u32(kListElementsAt + 4 * i, offset);
        if (!cell(offset, leaf) || !readLeaf(leaf, cells)) return false;
    }
    return true;
}

bool Hive::readValues(const KeyNode& key, std::vector<Value>& values, size_t& damaged) const {
    // Values are read into the elements already there, which keep the room of
    // their names and data from key to key; the vector is cut to those read.
    size_t count = 0;
    bool whole = key.valueCount == 0;
    ByteReader list;
    if (!whole && cell(key.valueList, list)) {
        // The count is bounded by the list cell before anything is sized by it.
        const uint64_t held = std::min<uint64_t>(key.valueCount, list.size() / 4);
        if (values.size() < held) values.resize(static_cast<size_t>(held));
        for (uint64_t i = 0; i < held; ++i) {
            uint32_t offset = 0;
            list.u32(4 * i, offset);
            Value& value = values[count];
            if (!readValue(offset, value)) {
                ++damaged;
                continue;
            }
            if (!value.dataRead) ++damaged;
            ++count;
        }
        whole = held == key.valueCount;
    }
    values.resize(count);
    return whole;
}

bool Hive::readValue(uint32_t offset, Value& value) const {
    value.data.clear();
    ByteReader data;
    uint16_t nameLength = 0;
    uint16_t flags = 0;
    uint32_t size = 0;
    uint32_t dataOffset = 0;
    if (!cell(offset, data) || !data.hasTag(0, "vk", 2) ||
        !data.u16(kValueNameLengthAt, nameLength) || !data.u32(kDataSizeAt, size) ||
        !data.u32(kDataOffsetAt, dataOffset) || !data.u32(kValueTypeAt, value.type) ||
        !data.u16(kValueFlagsAt, flags) ||
        !storedName(data, kValueNameAt, nameLength, (flags & kValueCompressedName) != 0,
                    value.name)) {
        return false;
    }
    if (size & kDataInline) {
        const uint32_t length = size & ~kDataInline;
        ByteReader inlineData;
        value.dataRead = length <= kMaxInline && data.sub(kDataOffsetAt, length, inlineData);
        if (value.dataRead) value.data.assign(inlineData.begin(), inlineData.end());
        return true;
    }
    value.dataRead = readData(size, dataOffset, value.data);
    if (!value.dataRead) value.data.clear();
    return true;
}

bool Hive::readData(uint32_t size, uint32_t offset, std::vector<uint8_t>& data) const {
    if (size == 0) return true;
    if (size > kMaxValueSize || size > bytes_.size()) return false;
    ByteReader first;
    if (!cell(offset, first)) return false;
    if (base_.minor < kBigDataMinor || size <= kSegmentSize || !first.hasTag(0, "db", 2)) {
        ByteReader whole;
        if (!first.sub(0, size, whole)) return false;
        data.assign(whole.begin(), whole.end());
        return true;
    }
    uint16_t segments = 0;
    uint32_t listOffset = 0;
    ByteReader list;
    if (!first.u16(kSegmentCountAt, segments) || !first.u32(kSegmentListAt, listOffset) ||
        !cell(listOffset, list) || !list.holds(0, uint64_t{4} * segments)) {
        return false;
    }
    data.reserve(size);
    for (uint64_t i = 0; i < segments && data.size() < size; ++i) {
        uint32_t segmentOffset = 0;
        ByteReader segment;
        ByteReader piece;
        list.u32(4 * i, segmentOffset);
        const uint64_t wanted = std::min<uint64_t>(kSegmentSize, size - data.size());
        if (!cell(segmentOffset, segment) || !segment.sub(0, wanted, piece)) return false;
        data.insert(data.end(), piece.begin(), piece.end());
    }
    return data.size() == size;
}

}  // namespace hive
}  // namespace Velmar
