// The log file's rotation rules and the notes the log file agent writes into
// the file, as pure functions over their inputs, and the process-wide rotation
// settings that the logging set-up fills in.
//
// Every note is returned as the text the agent writes as one line; the agent
// adds the line end ("\r\n") after it.
#pragma once

#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"

#include <cstdint>
#include <string>

namespace Velmar {

// Bits of the rotation scheme; 0 means no rotation.
enum RotationBit : uint32_t {
    kRotateNone = 0,
    kRotateInit = 1,  // once, at the first write after start-up (or after re-arming)
    kRotateTime = 2,  // when the period has elapsed
    kRotateSize = 4,  // when the file has grown past the size limit
};

// The line end of every line and note of the log file.
constexpr const char* kLogLineEnd = "\r\n";

// The default size limit in mebibytes, set again by every file agent made.
constexpr int32_t kDefaultRotationSizeMiB = 10;

// Shared by all agents of the process. Plain values: the set-up writes them
// during start-up, agents read them under their own locks.
struct RotationSettings {
    uint32_t scheme = kRotateNone;
    TimeSpan period;  // zero disables the time condition
    int32_t sizeMiB = kDefaultRotationSizeMiB;
    bool initPending = true;        // the init condition holds
    TimeSpan lastSeenPeriod;        // period and size when the next
    int32_t lastSeenSize = 0;       // rotation time was last computed
    std::string counterText = "0";  // last counter read from the registry
    uint32_t linesSinceFlush = 0;
};

RotationSettings& rotationSettings();

void setRotationScheme(uint32_t bits);
void addRotationScheme(uint32_t bits);
void setRotationTime(const TimeSpan& period);
void setRotationSize(int32_t mebibytes);
// The init condition holds again, and the next write recomputes the next
// rotation time (last seen period and size become zero).
void armInitRotation();

// What the rotation conditions are evaluated on.
struct RotationCheck {
    uint32_t scheme = kRotateNone;
    bool initPending = false;
    TimeSpan period;
    DateTime now{0};
    DateTime nextRotation{0};
    uint64_t fileBytes = 0;
    int32_t sizeMiB = kDefaultRotationSizeMiB;
    float sizeFactor = 1.0f;
};

// The reasons for rotating, each preceded by " AND" after the first:
// " Init"; " Time <next> <= <now>" (full local texts without offset); " Size
// <MiB> >= <limit>" (whole mebibytes, rounded down; the limit sizeMiB times
// sizeFactor as doubleToText prints it). Empty when no condition holds.
std::string rotationReasons(const RotationCheck& check);

// The name a file is rotated to: the path without its extension, "_", the
// opening time as compact local text without offset ("20260308T141500"), "_",
// the counter and, when the file name has an extension, "." and the extension.
// A dot in a directory name is no extension.
std::string rotatedFileName(const std::string& path, const DateTime& openTime,
                            const std::string& counter);

// The counter text after `counter`: its leading decimal integer plus one.
std::string nextCounterText(const std::string& counter);

// The note at the top of every newly opened file: an empty line, the version
// line, "Opened log file "<path>". Time: <local time> <zone text>" and, with the
// agent's line end, another empty line.
std::string openNote(const std::string& path, const DateTime& now);

// The note of a closed file: an empty line, "Closing log file "<path>". Time:
// <local time>. Reason: <reason>." and, with the agent's line end, an empty line.
std::string closeNote(const std::string& path, const DateTime& now, const std::string& reason);

// The other notes of rotation and moves, in the order they are written.
std::string rotateConditionNote(const std::string& reasons);
std::string rotationStartedNote();
std::string renamingNote(const std::string& from, const std::string& to);
std::string rotationErrorNote(uint32_t windowsError);
std::string continuedFromNote(const std::string& previous);
std::string movedReason(const std::string& newPath);

// Recomputes the next time at which the time condition holds, from openSeconds
// and the period, on the local clock of `zone`. Does nothing unless the scheme
// holds kRotateTime; stops early (after setting nextRotation to openSeconds
// plus the period, at most the latest instant) when the period is below one
// second or the sum does not lie after openSeconds within the 32-bit range. Otherwise openSeconds
// moves on to that sum, and nextRotation is it truncated to the period, then brought up to the
// first period boundary not before `now` (from `now` itself when it lags by more than one period);
// when that boundary would lie past the latest representable instant, nextRotation is the latest
// instant.
void computeNextRotation(uint32_t scheme, const TimeSpan& period, const DateTime& now,
                         const ZoneInfo& zone, int32_t& openSeconds, DateTime& nextRotation);

}  // namespace Velmar
