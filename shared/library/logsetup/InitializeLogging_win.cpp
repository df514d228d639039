// The first set-up of the logging chain, from the suite's registry values.
#include "shared/library/logsetup/LoggingSetup.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogMessengerIPC.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"

#include <cstdio>
#include <memory>
#include <new>

namespace Velmar {
namespace {

const char kStartupLogDirValue[] = "StartupLogDir";
const char kStartupDebugLevelValue[] = "StartupDebugLevel";
const char kRotationSchemeValue[] = "LogFileRotationScheme";
// The only sign of a missing log directory: the file lands in the working directory.
const char kMissingLogDirNote[] = "ERROR!!!\n";

uint32_t windowsThreadId() { return ::GetCurrentThreadId(); }

}  // namespace

bool initializeLogging(LogSettings& settings) {
    if (settings.logger != nullptr) return reconfigureLogging(settings);

    setThreadIdSource(windowsThreadId);
    setApplicationName(applicationName(settings.appId));

    if (settings.logDir.empty()) {
        std::string dir;
        if (readSuiteValue(kStartupLogDirValue, dir) == kRegOk) {
            settings.logDir = dir;
        } else {
            std::fputs(kMissingLogDirNote, stdout);
        }
    }
    normaliseSeparators(settings.logDir);
    ensureTrailingSeparator(settings.logDir);
    toLowerCase(settings.logDir);

    uint32_t level = 0;
    if (readSuiteDword(kStartupDebugLevelValue, level) != kRegOk) level = 0;
    // Values above 5 leave the level alone (setDebugLevel ignores them).
    if (level <= static_cast<uint32_t>(kMaxDebugLevel)) setDebugLevel(static_cast<int32_t>(level));

    std::string scheme;
    if (readSuiteValue(kRotationSchemeValue, scheme) == kRegOk) applyRotationWords(scheme);

    try {
        settings.messenger = std::make_shared<LogMessengerIPC>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    settings.messenger->setFile(settings.logDir + settings.fileName);

    try {
        settings.centre = std::make_shared<LoggerCentre>(settings.appId, settings.messenger);
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        settings.logger = std::make_shared<LoggerUnit>(settings.centre, settings.module);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return settings.logger != nullptr;
}

}  // namespace Velmar
