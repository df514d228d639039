#include "shared/library/logger/LogSettings.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/logger/LogRotation.h"

#include <functional>
#include <thread>

namespace Velmar {
namespace {

constexpr int32_t kInitialThreshold = 0;
constexpr int32_t kMaxThreshold = 5;  // "NONE": no catalogue message passes
const char kInitialApplicationName[] = "core";

// Until the Windows layer installs the system's thread identifier.
uint32_t runtimeThreadId() {
    return static_cast<uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

DateTime clockNow() { return DateTime(); }

struct Settings {
    std::atomic<int32_t> threshold{kInitialThreshold};
    std::atomic<int32_t> timeMode{kTimeModeLocal};
    std::string applicationName = kInitialApplicationName;
    std::atomic<const LogCommons*> catalogue{nullptr};
    std::atomic<ThreadIdSource> threadIdSource{runtimeThreadId};
    std::atomic<LogClock> clock{clockNow};
};

Settings& settings() {
    static Settings instance;
    return instance;
}

}  // namespace

void setDebugLevel(int32_t level) {
    if (level < 0 || level > kMaxDebugLevel) return;
    detail::debugLevelSetting.store(level, std::memory_order_relaxed);
}

int32_t severityThreshold() { return settings().threshold.load(std::memory_order_relaxed); }

void setSeverityThreshold(int32_t threshold) {
    if (threshold < 0 || threshold > kMaxThreshold) return;
    settings().threshold.store(threshold, std::memory_order_relaxed);
}

int32_t timeMode() { return settings().timeMode.load(std::memory_order_relaxed); }

void setTimeMode(int32_t mode) { settings().timeMode.store(mode, std::memory_order_relaxed); }

std::string applicationDisplayName() { return settings().applicationName; }

void setApplicationName(const std::string& name) { settings().applicationName = name; }

const LogCommons* catalogue() { return settings().catalogue.load(); }

void setCatalogue(const LogCommons* catalogue) { settings().catalogue.store(catalogue); }

uint32_t currentLogThreadId() { return settings().threadIdSource.load()(); }

void setThreadIdSource(ThreadIdSource source) {
    settings().threadIdSource.store(source != nullptr ? source : runtimeThreadId);
}

DateTime currentLogTime() { return settings().clock.load()(); }

void setLogClock(LogClock clock) { settings().clock.store(clock != nullptr ? clock : clockNow); }

void applyRotationWords(const std::string& words) {
    std::string rest = words;
    while (!rest.empty()) {
        const std::string word = splitHead(rest, ',');
        if (word == "none") {
            setRotationScheme(kRotateNone);
        } else if (word == "init") {
            addRotationScheme(kRotateInit);
        } else if (word == "time") {
            addRotationScheme(kRotateTime);
        } else if (word == "size") {
            addRotationScheme(kRotateSize);
        }
    }
}

void resetLogSettingsForTests() {
    detail::debugLevelSetting.store(kMaxDebugLevel);
    Settings& s = settings();
    s.threshold.store(kInitialThreshold);
    s.timeMode.store(kTimeModeLocal);
    s.applicationName = kInitialApplicationName;
    s.catalogue.store(nullptr);
    s.threadIdSource.store(runtimeThreadId);
    s.clock.store(clockNow);
}

}  // namespace Velmar
