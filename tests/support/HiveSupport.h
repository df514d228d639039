// Hives for tests: a small writer of hive files (base block, one hive bin,
// cells laid one after another) and of transaction logs, and the listing of a
// hive in the export format of the independent reader the tests compare with
// (Debian's hivexregedit --export), which the tests run where it is installed.
#pragma once

#include "shared/library/hive/Hive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing {
namespace hive {

using Bytes = std::vector<uint8_t>;

// UTF-16 and UTF-8 of test texts (the hive's names and the listing's).
std::u16string utf16(const std::string& utf8);
std::string utf8(const std::u16string& text);
// A text as REG_SZ data: UTF-16LE with its terminating zero.
Bytes szData(const std::string& utf8Text);

class HiveWriter {
public:
    // A hive of format 1.`minor`, both sequence numbers `sequence`.
    explicit HiveWriter(uint32_t minor = 5, uint32_t sequence = 1);

    // An allocated cell holding `data`; its offset from the start of the bins.
    uint32_t cell(const Bytes& data);
    // A key node; `compressed` stores the name one byte a character (it must
    // then be Latin-1), else UTF-16LE.
    uint32_t key(const std::string& name, bool compressed, uint32_t subKeyList,
                 uint32_t subKeyCount, uint32_t valueList, uint32_t valueCount);
    // A value; data of four bytes or fewer sits in the value cell itself,
    // data over 16,344 bytes in format 1.4 and later goes into big data.
    uint32_t value(const std::string& name, bool compressed, uint32_t type, const Bytes& data);
    // A subkey list with tag "lf", "lh", "li" or "ri" over `cells`.
    uint32_t list(const char* tag, const std::vector<uint32_t>& cells);
    uint32_t valueList(const std::vector<uint32_t>& cells);
    // Overwrites four bytes at `offset` from the start of the bins.
    void patch(uint32_t offset, uint32_t value);

    void setRoot(uint32_t cell) { root_ = cell; }
    void setSequences(uint32_t primary, uint32_t secondary);
    // The whole file: base block (checksum right) and one hive bin.
    Bytes bytes() const;

private:
    uint32_t minor_;
    uint32_t primary_;
    uint32_t secondary_;
    uint32_t root_ = 0;
    Bytes bins_;
    // The key cells each subkey list names, so that a key written over a list
    // becomes its keys' parent.
    std::vector<std::pair<uint32_t, std::vector<uint32_t>>> lists_;
};

// A tree of keys to write in one call.
struct ValueSpec {
    std::string name;
    uint32_t type;
    Bytes data;
};
struct KeySpec {
    std::string name;
    std::vector<ValueSpec> values;
    std::vector<KeySpec> children;
};
// Writes `key` and everything below it (subkeys in an "lh" list, names
// compressed where they are ASCII); the key's cell.
uint32_t writeTree(HiveWriter& writer, const KeySpec& key);

// One entry of a new-format log: the pages, each at its offset in the bins.
struct LogPage {
    uint32_t offset;
    Bytes bytes;
};
struct LogEntry {
    uint32_t sequence;
    uint32_t binsSize;
    std::vector<LogPage> pages;
};
// A new-format transaction log of `primary` (its base block copied, marked as
// a log) holding `entries` with their hashes.
Bytes newFormatLog(const Bytes& primary, const std::vector<LogEntry>& entries);
// An old-format log: a dirty vector over the bins of `changed`, holding the
// 512-byte pages in which it differs from `primary`.
Bytes dirtyVectorLog(const Bytes& primary, const Bytes& changed);

// The listing of the whole hive as hivexregedit --export writes it: keys in
// the order of their names at every level, values by name, data in hex
// ("dword:" for four-byte REG_DWORD). Damaged parts are left out.
std::string exportListing(const Velmar::hive::Hive& hive);

// Whether hivexregedit is installed.
bool haveHivexregedit();
// hivexregedit --export of the file (with --unsafe when asked); empty when it
// refuses the file.
std::string hivexExport(const std::string& path, bool unsafe = false);

// The folder of real hive files beside the repository; empty when missing.
std::string corpusHives();
Bytes readFile(const std::string& path);
void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace hive
}  // namespace testing
