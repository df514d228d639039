#include "app/InventoryWriter.h"

#include "scan/StocksweepMessages.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"

namespace Velmar {

namespace {

constexpr int32_t kSecondsPerDay = 86400;
constexpr char kTemporaryPrefix[] = "inventory.";
constexpr char kTemporarySuffix[] = ".partial";
constexpr size_t kTemporaryPrefixLength = sizeof(kTemporaryPrefix) - 1;
constexpr size_t kTemporarySuffixLength = sizeof(kTemporarySuffix) - 1;

InventoryOutcome failed(RecordFile& file) {
    file.discard();
    return InventoryOutcome();
}

}  // namespace

std::string temporaryDataFileName(uint32_t tag) {
    return kTemporaryPrefix + std::to_string(tag) + kTemporarySuffix;
}

bool isTemporaryDataFileName(const std::string& name) {
    if (name.size() <= kTemporaryPrefixLength + kTemporarySuffixLength) return false;
    if (name.compare(0, kTemporaryPrefixLength, kTemporaryPrefix) != 0) return false;
    const size_t tagEnd = name.size() - kTemporarySuffixLength;
    if (name.compare(tagEnd, kTemporarySuffixLength, kTemporarySuffix) != 0) return false;
    for (size_t i = kTemporaryPrefixLength; i < tagEnd; ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

std::string dataFileSummary(const InventoryOutcome& outcome) {
    if (!outcome.fileName.empty()) return outcome.fileName;
    return outcome.delivered ? "none (no executable found)" : "none (not delivered)";
}

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
    return written;
}

InventoryOutcome writeInventoryData(const CandidateMap& candidates, const HostIdentity& host,
                                    const std::string& workingDir, uint32_t tag, RecordFile& file,
                                    Log& log) {
    log.debug(1, "Now logging data to disk...");
    // Such a file was left by a run that ended before it was done: nothing can
    // complete it.
    for (const std::string& name : file.removeTemporaryFiles(workingDir)) {
        log.debug(2, "Removed the temporary data file \"%s\" of an earlier run.", {name});
    }
    InventoryOutcome outcome;
    if (candidates.empty()) {
        outcome.delivered = true;
        return outcome;
    }
    const std::string temporary = workingDir + temporaryDataFileName(tag);
    if (!file.open(temporary)) {
        log.message(kSeverityCritical, AppMessage::kDataFileUnopened, {temporary});
        return outcome;
    }
    DateTime dayStart;
    dayStart.floor(TimeSpan(kSecondsPerDay), DateTime::localZone());
    const size_t written =
        writeInventoryRecords(candidates, host, dayStart.getSeconds(), temporary, file, log);
    if (written != candidates.size()) return failed(file);
    if (!file.flush()) {
        log.message(kSeverityError, AppMessage::kRecordUnwritten, {temporary});
        return failed(file);
    }
    const int64_t now = DateTime().getSeconds();
    // The name reported when none can be given: the one that failed, or the
    // first when every one was taken.
    std::string refused = inventoryFileName(now);
    for (int64_t seconds = now; seconds <= now + kDataFileNameTries; ++seconds) {
        const std::string name = inventoryFileName(seconds);
        const RecordFile::Publish published = file.publish(workingDir + name);
        if (published == RecordFile::Publish::kNameTaken) continue;
        if (published == RecordFile::Publish::kFailed) {
            refused = name;
            break;
        }
        file.close();
        log.debug(1, "   Done logging data to disk.");
        outcome.delivered = true;
        outcome.records = written;
        outcome.fileName = name;
        return outcome;
    }
    log.message(kSeverityCritical, AppMessage::kDataFileUnopened, {workingDir + refused});
    return failed(file);
}

}  // namespace Velmar
