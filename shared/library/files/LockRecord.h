// The text of a lock file and the identity token of a lock owner, apart from
// any file access.
//
// A lock file holds four lines, each ended by a single line feed:
//   1. the start of the claim, as date-time text ("YYYY-MM-DDTHH:MM:SSZ");
//   2. the expiry of the claim, in the same form;
//   3. the owner's identity token;
//   4. "original" when the owner holds the guarded file open, else "missing".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

struct LockRecord {
    std::string start;
    std::string expiry;
    std::string owner;
    bool holdsGuarded = false;
};

// The four lines of the record, each ended by "\n".
std::string formatLockRecord(const LockRecord& record);

// Reads up to four lines of `text` into the fields in line order. A line ends
// at a line feed; every carriage return is dropped; a last line without a line
// feed counts. Stops at the first line that is not there; the fields of the
// missing lines are left as they were. Returns the number of lines read.
size_t parseLockRecord(const std::string& text, LockRecord& record);

// The identity token: `timeText` followed by 10 characters from the space to
// the right brace (32 to 125), drawn from a generator seeded with `seed`.
// Callers make the seed unique per process and per lock object.
std::string makeIdentityToken(const std::string& timeText, const std::vector<uint32_t>& seed);

}  // namespace Velmar
