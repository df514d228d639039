// The process-wide settings of the logging layer, shared by every logger unit,
// and the set-up of the chain.
//
// Settings: debug level (initially 5; 0..5 accepted, other values ignored),
// severity threshold (0; 0..5), time mode (1 local, 2 zulu, 0 other; copied
// into every record), the application display name ("core"), the registered
// catalogue (none), and the sources of the thread id and the current time.
// The level and the threshold may be read on any thread; the rest is set
// during start-up.
#pragma once

#include "shared/library/time/DateTime.h"
#include "shared/library/common/SmartPointer.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace Velmar {

class ConfReader;
class LogCommons;
class LogMessenger;
class LoggerCentre;
class LoggerUnit;

constexpr int32_t kMaxDebugLevel = 5;
constexpr int32_t kTimeModeOther = 0;
constexpr int32_t kTimeModeLocal = 1;
constexpr int32_t kTimeModeZulu = 2;

namespace detail {
inline std::atomic<int32_t> debugLevelSetting{kMaxDebugLevel};
}  // namespace detail

inline int32_t debugLevel() { return detail::debugLevelSetting.load(std::memory_order_relaxed); }
// Values outside 0..5 leave the level unchanged.
void setDebugLevel(int32_t level);

int32_t severityThreshold();
// Values outside 0..5 leave the threshold unchanged.
void setSeverityThreshold(int32_t threshold);

int32_t timeMode();
void setTimeMode(int32_t mode);

// The name of the process in the log file agent's registry values.
std::string applicationDisplayName();
void setApplicationName(const std::string& name);

// The catalogue that the messenger looks messages up in; null for none. The
// catalogue must outlive its registration.
const LogCommons* catalogue();
void setCatalogue(const LogCommons* catalogue);

// The thread id written into records: the Windows thread identifier once the
// Windows layer has installed its source (initializeLogging does), a number
// derived from the runtime's thread id before. Null restores the default.
using ThreadIdSource = uint32_t (*)();
uint32_t currentLogThreadId();
void setThreadIdSource(ThreadIdSource source);

// The time written into new records; the clock by default. Null restores it.
using LogClock = DateTime (*)();
DateTime currentLogTime();
void setLogClock(LogClock clock);

// Applies the words of a rotation scheme text, split at every ",": "none"
// sets the scheme to none, "init", "time" and "size" add their bits; other
// words (with blanks around them too) are ignored. The scheme is not cleared
// first.
void applyRotationWords(const std::string& words);

// Restores every setting above to its initial value.
void resetLogSettingsForTests();

// The logging set-up owned by the application and handed to both set-up steps.
struct LogSettings {
    std::string logDir;    // empty: initializeLogging reads "StartupLogDir"
    std::string fileName;  // log file name
    int32_t appId = 0;
    int32_t module = 0;  // module of the application's own unit
    SmartPointer<LoggerCentre> centre;
    SmartPointer<LogMessenger> messenger;
    SmartPointer<LoggerUnit> logger;
    SmartPointer<ConfReader> conf;  // set by the application before reconfigureLogging
};

}  // namespace Velmar
