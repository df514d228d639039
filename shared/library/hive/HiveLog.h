// Bringing a dirty hive up to date in memory from its transaction logs
// (NAME.LOG1 and NAME.LOG2 beside the primary file). A hive is dirty when its
// base block's two sequence numbers differ or its checksum is wrong: the newest
// changes then sit in the logs. Two log formats exist:
// - entries marked "HvLE" (written for every hive by current systems): each
//   entry carries a sequence number, the hive bins' size and the pages to
//   write, and two Marvin32 hashes that must match. The entries of both logs
//   whose sequence numbers are at least the primary's are applied in the order
//   of their numbers, up to the first gap; a log's entries stop at its first
//   entry that fails a check.
// - a dirty vector marked "DIRT" (older systems): a bitmap of 512-byte pages
//   of the hive bins followed by those pages. It applies only when its base
//   block was written at the same time as the primary's; the first such log
//   is used.
// A log that fails its checks is not used. Nothing here allocates more than the
// primary's and the logs' sizes together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Velmar {
namespace hive {

struct Recovery {
    bool dirty = false;      // the primary's base block said so
    bool recovered = false;  // a log brought it up to date
    size_t entries = 0;      // log entries (or dirty vectors) applied
};

// Brings `primary` up to date from `logs` (LOG1's bytes, then LOG2's; an
// empty vector for a log that is missing). A clean or unreadable primary is
// left as it is; so is a dirty one that no log can bring up to date.
Recovery recoverHive(std::vector<uint8_t>& primary, const std::vector<std::vector<uint8_t>>& logs);

// The Marvin32 hash of `size` bytes with the seed of hive log entries.
uint64_t logEntryHash(const uint8_t* data, size_t size);

}  // namespace hive
}  // namespace Velmar
