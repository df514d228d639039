// Lock file text from disk: any bytes must parse without fault, and a record
// that read back in full must survive being written and read again.
#include "fuzz/FuzzCheck.h"
#include "shared/library/files/LockRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Velmar::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Velmar::LockRecord record;
    const size_t lines = Velmar::parseLockRecord(text, record);
    check(lines <= 4, "a lock record has at most four lines");
    if (lines == 4) {
        Velmar::LockRecord again;
        check(Velmar::parseLockRecord(Velmar::formatLockRecord(record), again) == 4,
              "a written record reads back whole");
        check(again.start == record.start && again.expiry == record.expiry &&
                  again.owner == record.owner && again.holdsGuarded == record.holdsGuarded,
              "a written record reads back the same");
    }
    return 0;
}
