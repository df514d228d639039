#include "shared/library/hive/HiveLog.h"

#include "shared/library/hive/ByteReader.h"
#include "shared/library/hive/Hive.h"

#include <algorithm>
#include <cstring>

namespace Velmar {
namespace hive {

namespace {

constexpr uint32_t kPage = 512;
constexpr uint32_t kBinAlignment = 4096;
constexpr uint32_t kNewFormatLog = 6;
constexpr uint32_t kOldFormatLog1 = 1;
constexpr uint32_t kOldFormatLog2 = 2;
// The seed of the entries' hashes: the eight bytes C5 55 4E 7A 88 4D EF 82
// read as one little-endian number.
constexpr uint64_t kLogHashSeed = 0x82EF4D887A4E55C5ull;
// A log's sectors are the clustering factor times 512 bytes.
constexpr uint32_t kMaxClustering = 8;

// "HvLE" entry header fields.
constexpr uint64_t kEntryHeader = 40;
constexpr uint64_t kEntrySizeAt = 4;
constexpr uint64_t kEntrySequenceAt = 12;
constexpr uint64_t kEntryBinsSizeAt = 16;
constexpr uint64_t kEntryPageCountAt = 20;
constexpr uint64_t kEntryHash1At = 24;
constexpr uint64_t kEntryHash2At = 32;
constexpr uint64_t kEntryHash2Length = 32;

// Base block fields rewritten after a recovery.
constexpr size_t kPrimarySequenceAt = 4;
constexpr size_t kSecondarySequenceAt = 8;
constexpr size_t kBinsSizeAt = 40;
constexpr size_t kChecksumAt = 508;

uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void marvinBlock(uint32_t& lo, uint32_t& hi) {
    hi ^= lo;
    lo = rotl(lo, 20);
    lo += hi;
    hi = rotl(hi, 9);
    hi ^= lo;
    lo = rotl(lo, 27);
    lo += hi;
    hi = rotl(hi, 19);
}

// One page of an entry: where it goes in the hive bins, and its bytes.
struct Page {
    uint32_t offset = 0;
    ByteReader bytes;
};

struct Entry {
    uint32_t sequence = 0;
    size_t read = 0;  // place among the entries read, LOG1's first
    uint32_t binsSize = 0;
    std::vector<Page> pages;
};

void storeU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Writes the sequence numbers and size that the logs brought, and a checksum
// that fits them.
void sealBaseBlock(std::vector<uint8_t>& primary, uint32_t sequence, uint32_t binsSize) {
    storeU32(primary, kPrimarySequenceAt, sequence);
    storeU32(primary, kSecondarySequenceAt, sequence);
    storeU32(primary, kBinsSizeAt, binsSize);
    storeU32(primary, kChecksumAt, baseBlockChecksum(ByteReader(primary.data(), primary.size())));
}

// Grows the primary's bins to `binsSize`; false when that is more than the
// logs could ever fill.
bool makeRoom(std::vector<uint8_t>& primary, uint64_t binsSize, uint64_t bound) {
    if (binsSize > bound) return false;
    if (kBaseBlockSize + binsSize > primary.size()) primary.resize(kBaseBlockSize + binsSize);
    return true;
}

void applyPage(std::vector<uint8_t>& primary, const Page& page) {
    std::memcpy(primary.data() + kBaseBlockSize + page.offset, page.bytes.begin(),
                page.bytes.size());
}

// The entries of one new-format log, up to its first entry that fails a check.
void readEntries(const ByteReader& log, uint64_t binsBound, std::vector<Entry>& entries) {
    uint64_t at = kPage;
    while (log.hasTag(at, "HvLE", 4)) {
        uint32_t size = 0;
        uint32_t pageCount = 0;
        uint64_t hash1 = 0;
        uint64_t hash2 = 0;
        Entry entry;
        ByteReader whole;
        log.u32(at + kEntrySizeAt, size);
        if (size < kEntryHeader || size % kPage != 0 || !log.sub(at, size, whole)) return;
        whole.u32(kEntrySequenceAt, entry.sequence);
        whole.u32(kEntryBinsSizeAt, entry.binsSize);
        whole.u32(kEntryPageCountAt, pageCount);
        whole.u64(kEntryHash1At, hash1);
        whole.u64(kEntryHash2At, hash2);
        if (logEntryHash(whole.begin(), kEntryHash2Length) != hash2 ||
            logEntryHash(whole.begin() + kEntryHeader, size - kEntryHeader) != hash1) {
            return;
        }
        if (entry.binsSize % kBinAlignment != 0 || entry.binsSize > binsBound) return;
        // The references, then the pages in their order, without gaps.
        uint64_t data = kEntryHeader + uint64_t{8} * pageCount;
        if (!whole.holds(0, data)) return;
        for (uint64_t i = 0; i < pageCount; ++i) {
            Page page;
            uint32_t length = 0;
            whole.u32(kEntryHeader + 8 * i, page.offset);
            whole.u32(kEntryHeader + 8 * i + 4, length);
            if (uint64_t{page.offset} + length > entry.binsSize ||
                !whole.sub(data, length, page.bytes)) {
                return;
            }
            data += length;
            entry.pages.push_back(page);
        }
        entry.read = entries.size();
        entries.push_back(std::move(entry));
        at += size;
    }
}

bool recoverFromEntries(std::vector<uint8_t>& primary, const BaseBlock& base,
                        const std::vector<ByteReader>& logs, uint64_t binsBound,
                        Recovery& recovery) {
    std::vector<Entry> entries;
    for (const ByteReader& log : logs) {
        BaseBlock header;
        if (!readBaseBlock(log, header) || !header.checksumOk || header.fileType != kNewFormatLog) {
            continue;
        }
        readEntries(log, binsBound, entries);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.sequence != b.sequence ? a.sequence < b.sequence : a.read < b.read;
    });
    const Entry* last = nullptr;
    for (const Entry& entry : entries) {
        if (entry.sequence < base.primarySequence) continue;
        // An entry that does not follow the one before leaves a gap the logs
        // cannot fill: what comes after it is not applied.
        if (last != nullptr && entry.sequence != last->sequence + 1) break;
        if (!makeRoom(primary, entry.binsSize, binsBound)) break;
        for (const Page& page : entry.pages) applyPage(primary, page);
        last = &entry;
        ++recovery.entries;
    }
    if (last == nullptr) return false;
    sealBaseBlock(primary, last->sequence, last->binsSize);
    return true;
}

bool recoverFromDirtyVector(std::vector<uint8_t>& primary, const BaseBlock& base,
                            const ByteReader& log, uint64_t binsBound) {
    BaseBlock header;
    if (!readBaseBlock(log, header) || !header.checksumOk ||
        (header.fileType != kOldFormatLog1 && header.fileType != kOldFormatLog2) ||
        header.primarySequence != header.secondarySequence || header.written != base.written ||
        header.binsSize % kBinAlignment != 0 || header.binsSize > binsBound) {
        return false;
    }
    const uint64_t sector =
        uint64_t{kPage} * std::clamp<uint32_t>(header.clustering, 1, kMaxClustering);
    const uint64_t pages = header.binsSize / kPage;
    const uint64_t bitmapBytes = (pages + 7) / 8;
    ByteReader bitmap;
    if (!log.hasTag(sector, "DIRT", 4) || !log.sub(sector + 4, bitmapBytes, bitmap)) return false;
    const uint64_t first = (sector + 4 + bitmapBytes + sector - 1) / sector * sector;
    // Every page is checked before any is written, so a short log changes nothing.
    std::vector<Page> dirty;
    uint64_t next = first;
    for (uint64_t i = 0; i < pages; ++i) {
        uint8_t bits = 0;
        bitmap.u8(i / 8, bits);
        if ((bits >> (i % 8) & 1) == 0) continue;
        Page page{static_cast<uint32_t>(i * kPage), {}};
        if (!log.sub(next, kPage, page.bytes)) return false;
        next += kPage;
        dirty.push_back(page);
    }
    makeRoom(primary, header.binsSize, binsBound);
    for (const Page& page : dirty) applyPage(primary, page);
    sealBaseBlock(primary, header.primarySequence, header.binsSize);
    return true;
}

}  // namespace

uint64_t logEntryHash(const uint8_t* data, size_t size) {
    uint32_t lo = static_cast<uint32_t>(kLogHashSeed);
    uint32_t hi = static_cast<uint32_t>(kLogHashSeed >> 32);
    const ByteReader bytes(data, size);
    size_t at = 0;
    for (; size - at >= 4; at += 4) {
        uint32_t word = 0;
        bytes.u32(at, word);
        lo += word;
        marvinBlock(lo, hi);
    }
    // The last one to three bytes, closed by a 0x80 byte.
    uint32_t last = 0x80;
    for (size_t i = size; i > at; --i) {
        uint8_t byte = 0;
        bytes.u8(i - 1, byte);
        last = last << 8 | byte;
    }
    lo += last;
    marvinBlock(lo, hi);
    marvinBlock(lo, hi);
    return static_cast<uint64_t>(hi) << 32 | lo;
}

Recovery recoverHive(std::vector<uint8_t>& primary, const std::vector<std::vector<uint8_t>>& logs) {
    Recovery recovery;
    BaseBlock base;
    if (!readBaseBlock(ByteReader(primary.data(), primary.size()), base)) return recovery;
    recovery.dirty = base.primarySequence != base.secondarySequence || !base.checksumOk;
    if (!recovery.dirty) return recovery;

    std::vector<ByteReader> readers;
    uint64_t binsBound = primary.size();
    for (const std::vector<uint8_t>& log : logs) {
        readers.emplace_back(log.data(), log.size());
        binsBound += log.size();
    }
    if (recoverFromEntries(primary, base, readers, binsBound, recovery)) {
        recovery.recovered = true;
        return recovery;
    }
    for (const ByteReader& log : readers) {
        if (recoverFromDirtyVector(primary, base, log, binsBound)) {
            recovery.recovered = true;
            recovery.entries = 1;
            return recovery;
        }
    }
    return recovery;
}

}  // namespace hive
}  // namespace Velmar
