// Lock file text from disk: any bytes must parse without fault, and a record
// that read back in full must survive being written and read again.
#include "shared/library/common/LockRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Velmar::LockRecord record;
    const size_t lines = Velmar::parseLockRecord(text, record);
    if (lines > 4) std::abort();
    if (lines == 4) {
        Velmar::LockRecord again;
        if (Velmar::parseLockRecord(Velmar::formatLockRecord(record), again) != 4) std::abort();
        if (again.start != record.start || again.expiry != record.expiry ||
            again.owner != record.owner || again.holdsGuarded != record.holdsGuarded) {
            std::abort();
        }
    }
    return 0;
}
