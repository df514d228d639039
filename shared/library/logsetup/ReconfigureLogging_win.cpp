// The second set-up of the logging layer, from the configuration.
#include "shared/library/logsetup/LoggingSetup.h"

#include "shared/library/config/ConfReader.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRotation.h"

namespace Velmar {
namespace {

const char kLogDirKey[] = "Velmar.directories.log";
const char kTimeKey[] = "log.time";
const char kSchemeKey[] = "log.rotation.scheme";
const char kRotationTimeKey[] = "log.rotation.time";
const char kRotationSizeKey[] = "log.rotation.size";
const char kSeverityKey[] = "log.global.severity";
const char kDebugLevelKey[] = "log.global.debug-level";

// A log directory from the configuration replaces the current one only when it
// exists or can be made, so that logging never moves into a directory that
// cannot hold the file.
void moveLogDirectory(const ConfReader& conf, LogSettings& settings) {
    std::string dir;
    if (conf.getDirName(kLogDirKey, dir) != CR_OK) return;
    toLowerCase(dir);
    if (!makeDirectories(dir) || dir == settings.logDir) return;
    settings.logDir = dir;
    settings.fileName = fileName(settings.fileName);
    if (settings.messenger) settings.messenger->setFile(settings.logDir + settings.fileName);
}

int32_t timeModeFromName(const std::string& name) {
    if (name == "local") return kTimeModeLocal;
    if (name == "zulu") return kTimeModeZulu;
    return kTimeModeOther;
}

}  // namespace

bool reconfigureLogging(LogSettings& settings) {
    if (!settings.conf) return false;
    const ConfReader& conf = *settings.conf;

    moveLogDirectory(conf, settings);

    std::string time = "local";
    conf.getString(kTimeKey, time);
    setTimeMode(timeModeFromName(time));

    const bool hadInit = (rotationSettings().scheme & kRotateInit) != 0;
    std::string scheme;
    if (conf.getString(kSchemeKey, scheme) == CR_OK) {
        setRotationScheme(kRotateNone);
        applyRotationWords(scheme);
    }
    TimeSpan period;
    conf.getTimeSpan(kRotationTimeKey, period);
    setRotationTime(period);
    // Without the key the size in force stays: a limit of 0 would rotate the
    // file at every line.
    int32_t sizeMiB = rotationSettings().sizeMiB;
    conf.getInteger(kRotationSizeKey, sizeMiB);
    setRotationSize(sizeMiB);
    if ((rotationSettings().scheme & kRotateInit) != 0 && !hadInit) armInitRotation();

    std::string severity;
    if (conf.getString(kSeverityKey, severity) == CR_OK) {
        const int32_t threshold = severityFromName(severity);
        if (threshold != kSeverityInvalid) setSeverityThreshold(threshold);
    } else {
        setSeverityThreshold(0);
    }

    int32_t level = 0;
    conf.getInteger(kDebugLevelKey, level);
    setDebugLevel(level);
    return true;
}

}  // namespace Velmar
