#include "shared/library/logger/LogRotation.h"

#include "shared/library/files/FileUtils.h"

#include <cstdlib>
#include <limits>

namespace Velmar {

namespace {

constexpr const char* kVersionLine = "Velmar VERSION(6.5.0.0) REVISION(24657)";
constexpr int kMebibyteShift = 20;
constexpr int64_t kLatestInstant = std::numeric_limits<int32_t>::max();
constexpr int64_t kEarliestInstant = std::numeric_limits<int32_t>::min();

void addReason(std::string& reasons, const std::string& reason) {
    if (!reasons.empty()) reasons += " AND";
    reasons += reason;
}

int32_t clampSeconds(int64_t seconds) {
    if (seconds > kLatestInstant) return static_cast<int32_t>(kLatestInstant);
    if (seconds < kEarliestInstant) return static_cast<int32_t>(kEarliestInstant);
    return static_cast<int32_t>(seconds);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

RotationSettings& rotationSettings() {
    static RotationSettings settings;
    return settings;
}

void setRotationScheme(uint32_t bits) { rotationSettings().scheme = bits; }
void addRotationScheme(uint32_t bits) { rotationSettings().scheme |= bits; }
void setRotationTime(const TimeSpan& period) { rotationSettings().period = period; }
void setRotationSize(int32_t mebibytes) { rotationSettings().sizeMiB = mebibytes; }

void armInitRotation() {
    RotationSettings& settings = rotationSettings();
    settings.initPending = true;
    settings.lastSeenPeriod = TimeSpan();
    settings.lastSeenSize = 0;
}

std::string rotationReasons(const RotationCheck& check) {
    std::string reasons;
    if (check.scheme == kRotateNone) return reasons;
    if ((check.scheme & kRotateInit) != 0 && check.initPending) addReason(reasons, " Init");
    if ((check.scheme & kRotateTime) != 0 && check.period.getSeconds() > 0 &&
        check.now.getSeconds() >= check.nextRotation.getSeconds()) {
        addReason(reasons,
                  " Time " + check.nextRotation.localText() + " <= " + check.now.localText());
    }
    if ((check.scheme & kRotateSize) != 0) {
        const uint64_t mebibytes = check.fileBytes >> kMebibyteShift;
        const double limit = static_cast<float>(check.sizeMiB) * check.sizeFactor;
        if (static_cast<double>(mebibytes) >= limit) {
            addReason(reasons, " Size " + std::to_string(mebibytes) + " >= " + doubleToText(limit));
        }
    }
    return reasons;
}

std::string rotatedFileName(const std::string& path, const DateTime& openTime,
                            const std::string& counter) {
    std::string base = path;
    const std::string ext = stripExtension(base);
    std::string name = base + "_" + openTime.localDateText(true) + "T" +
                       openTime.localTimeText(true) + "_" + counter;
    if (!ext.empty()) name += "." + ext;
    return name;
}

std::string nextCounterText(const std::string& counter) {
    const long value = std::strtol(counter.c_str(), nullptr, 10);
    // Past the largest counter the count starts again rather than overflowing.
    const long next = value == std::numeric_limits<long>::max() ? 0 : value + 1;
    return std::to_string(next);
}

std::string openNote(const std::string& path, const DateTime& now) {
    return std::string(kLogLineEnd) + kVersionLine + kLogLineEnd + "Opened log file " +
           quoted(path) + ". Time: " + now.localText() + " " + now.shownZone().toText() +
           kLogLineEnd;
}

std::string closeNote(const std::string& path, const DateTime& now, const std::string& reason) {
    return std::string(kLogLineEnd) + "Closing log file " + quoted(path) +
           ". Time: " + now.localText() + ". Reason: " + reason + "." + kLogLineEnd;
}

std::string rotateConditionNote(const std::string& reasons) {
    return "\nRotate condition(s):" + reasons;
}

std::string rotationStartedNote() { return "\nRotation process started..."; }

std::string renamingNote(const std::string& from, const std::string& to) {
    return "Renaming file from " + quoted(from) + " to " + quoted(to) + ".";
}

std::string rotationErrorNote(uint32_t windowsError) {
    return "Log file rotation error. (" + std::to_string(windowsError) + ")";
}

std::string continuedFromNote(const std::string& previous) {
    return "Log continued from " + quoted(previous) + ".";
}

std::string movedReason(const std::string& newPath) {
    return "Log file moved to " + quoted(newPath) + ".";
}

void computeNextRotation(uint32_t scheme, const TimeSpan& period, const DateTime& now,
                         const ZoneInfo& zone, int32_t& openSeconds, DateTime& nextRotation) {
    if ((scheme & kRotateTime) == 0) return;
    const int64_t step = period.getSeconds();
    const int64_t sum = int64_t{openSeconds} + step;
    nextRotation.setSeconds(clampSeconds(sum));
    // A sum beyond the latest instant stops here too: it would not lie after
    // the base once held in 32 bits.
    if (step < 1 || sum <= openSeconds || sum > kLatestInstant) return;
    openSeconds = static_cast<int32_t>(sum);
    nextRotation.floor(period, zone);
    if (int64_t{nextRotation.getSeconds()} < int64_t{now.getSeconds()} - step) {
        nextRotation.setSeconds(now.getSeconds());
        nextRotation.floor(period, zone);
    }
    while (nextRotation.getSeconds() < now.getSeconds()) {
        // The boundary after the last one lies past the latest instant: the
        // latest instant stands for it, so that the condition holds no sooner.
        if (int64_t{nextRotation.getSeconds()} + step > kLatestInstant) {
            nextRotation.setSeconds(static_cast<int32_t>(kLatestInstant));
            break;
        }
        nextRotation.setSeconds(nextRotation.getSeconds() + static_cast<int32_t>(step));
    }
}

}  // namespace Velmar
