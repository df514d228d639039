#include "app/InventoryWriter.h"

#include "scan/StocksweepMessages.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"

namespace Velmar {

namespace {

constexpr int32_t kSecondsPerDay = 86400;

}  // namespace

size_t writeInventoryRecords(const CandidateMap& candidates, const HostIdentity& host,
                             int64_t intervalStart, const std::string& path, RecordFile& file,
                             Log& log) {
    // Bytes not yet on file: the record at hand, after a failed write also the
    // records whose writes failed before it.
    std::string pending;
    size_t pendingRecords = 0;
    size_t written = 0;
    uint64_t wholeEnd = 0;  // end of the last whole record on file
    bool lastFailed = false;
    for (const auto& entry : candidates) {
        pending += formatInventoryRecord(intervalStart, host, entry.second);
        ++pendingRecords;
        // A failed write may have left part of its bytes behind wholeEnd.
        const bool ok = (!lastFailed || file.seek(wholeEnd)) && file.write(pending);
        if (ok) {
            wholeEnd += pending.size();
            written += pendingRecords;
            pending.clear();
            pendingRecords = 0;
        } else {
            log.message(kSeverityError, AppMessage::kRecordUnwritten, {path});
        }
        lastFailed = !ok;
    }
    if (lastFailed) file.truncate(wholeEnd);
    file.close();
    return written;
}

void writeInventoryData(const CandidateMap& candidates, const HostIdentity& host,
                        const std::string& workingDir, RecordFile& file, Log& log) {
    log.debug(1, "Now logging data to disk...");
    if (candidates.empty()) return;
    const std::string path = workingDir + inventoryFileName(DateTime().getSeconds());
    if (!file.open(path)) {
        log.message(kSeverityCritical, AppMessage::kDataFileUnopened, {path});
        return;
    }
    DateTime dayStart;
    dayStart.floor(TimeSpan(kSecondsPerDay), DateTime::localZone());
    writeInventoryRecords(candidates, host, dayStart.getSeconds(), path, file, log);
    log.debug(1, "   Done logging data to disk.");
}

}  // namespace Velmar
