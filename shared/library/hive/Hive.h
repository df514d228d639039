// A registry hive file (base block "regf", hive bins "hbin", cells) read from
// bytes held in memory, read-only. Every offset and length that the file gives
// is checked against the bytes held before it is followed; a cell that fails a
// check makes the call that met it answer false, and nothing is ever read past
// the bytes. Texts are given as they are stored: names as UTF-16 (a name
// stored compressed, one byte a character, is widened), data as raw bytes.
#pragma once

#include "shared/library/hive/ByteReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {
namespace hive {

// Size of the base block, and where the hive bins begin in the file: every
// cell offset in the file counts from here.
constexpr uint32_t kBaseBlockSize = 4096;
// The part of a base block that holds its fields and checksum.
constexpr uint32_t kBaseBlockSector = 512;
// The registry's own bound on the depth of a key below its hive's root.
constexpr size_t kMaxDepth = 512;
// A value's data is read only up to this size (and never beyond the file's).
constexpr uint32_t kMaxValueSize = 16u << 20;
// Bounds per hive for a walk: keys and values beyond them are not visited.
constexpr size_t kMaxKeysPerHive = 4u << 20;
constexpr size_t kMaxValuesPerHive = 16u << 20;
// Registry value types that hold text.
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeExpandSz = 2;
constexpr uint32_t kTypeMultiSz = 7;

// The fields of a base block that this reader uses.
struct BaseBlock {
    uint32_t primarySequence = 0;
    uint32_t secondarySequence = 0;
    uint64_t written = 0;  // FILETIME of the last write
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t fileType = 0;  // 0 primary file; 1, 2 old-format log; 6 new-format log
    uint32_t rootCell = 0;
    uint32_t binsSize = 0;  // bytes of hive bins after the base block
    uint32_t clustering = 0;
    bool checksumOk = false;
};

// The base block at the start of `bytes` (signature "regf" and the fields
// above, checksum compared); false and `block` untouched when the bytes are
// shorter than its first sector or lack the signature.
bool readBaseBlock(const ByteReader& bytes, BaseBlock& block);
// The XOR-32 checksum of the first 508 bytes (which must be there).
uint32_t baseBlockChecksum(const ByteReader& bytes);

enum class HiveStatus {
    kOk,
    kNoBaseBlock,  // shorter than a base block, or no "regf"
    kVersion,      // not format 1.3 to 1.6
    kNoHiveBins,   // no room for hive bins after the base block
};

// One key node ("nk"): what a walk needs of it.
struct KeyNode {
    uint32_t cell = 0;
    uint32_t subKeyCount = 0;
    uint32_t subKeyList = 0;
    uint32_t valueCount = 0;
    uint32_t valueList = 0;
    std::u16string name;
};

// One value ("vk") with its data; `dataRead` false when the data cells are
// damaged or the value is larger than kMaxValueSize (`data` then empty).
struct Value {
    std::u16string name;
    uint32_t type = 0;
    bool dataRead = false;
    std::vector<uint8_t> data;
};

class Hive {
public:
    // Takes the bytes of a hive file (brought up to date from its logs before,
    // where it was dirty). status() tells whether it can be walked.
    explicit Hive(std::vector<uint8_t> bytes);

    HiveStatus status() const { return status_; }
    const BaseBlock& baseBlock() const { return base_; }
    size_t fileSize() const { return bytes_.size(); }
    // Hive bins present in the file, at most as many as the base block claims.
    size_t binsHeld() const { return bins_.size(); }
    uint32_t rootCell() const { return base_.rootCell; }

    // The key node at `cell`; false, `key` unspecified, when that cell is not
    // an allocated cell inside the bins holding a whole "nk" record.
    bool readKey(uint32_t cell, KeyNode& key) const;
    // The cells of the key's subkeys in list order (an "ri" list gives its
    // leaves' cells in turn). False when a list cell is damaged: `cells` then
    // holds those read before the damage.
    bool subKeyCells(const KeyNode& key, std::vector<uint32_t>& cells) const;
    // The key's values in list order. A value whose cell is damaged is left
    // out and counted in `damaged`; one whose data cannot be had is given
    // with `dataRead` false and counted too. False when the value list itself
    // is damaged (the values read before the damage are kept).
    bool readValues(const KeyNode& key, std::vector<Value>& values, size_t& damaged) const;

private:
    // The data of the allocated cell at `offset` (after its size field).
    bool cell(uint32_t offset, ByteReader& data) const;
    bool readValue(uint32_t offset, Value& value) const;
    bool readData(uint32_t size, uint32_t offset, std::vector<uint8_t>& data) const;
    bool readLeaf(const ByteReader& list, std::vector<uint32_t>& cells) const;

    std::vector<uint8_t> bytes_;
    HiveStatus status_ = HiveStatus::kNoBaseBlock;
    BaseBlock base_;
    ByteReader bins_;
};

// Text of a stored name: `length` bytes at `offset`, one character a byte
// when `compressed`, else UTF-16LE (an odd last byte is dropped). False and
// `name` untouched when the bytes are not all there.
bool storedName(const ByteReader& bytes, uint64_t offset, uint32_t length, bool compressed,
                std::u16string& name);

}  // namespace hive
}  // namespace Velmar
