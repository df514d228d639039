// Name resolution with a memory per path and WOW64 redirection switched off.
#include "naming/ExeFinder.h"

#include "naming/NameRules.h"
#include "scan/DebugLog.h"
#include "scan/SMScan.h"
#include "shared/library/common/FileUtils.h"
#include "shared/library/common/win32/Wow64.h"

namespace Velmar {

const char ExeFinder::kUndefinedName[] = "[UNDEFINED]";

SmartPointer<LoggerUnit> ExeFinder::logger;

ExeFinder::ExeFinder(const SmartPointer<LoggerUnit>& log) {
    logger = log;
    debugLog(logger, 2, "ExeFinder: Created.");
}

ExeFinder::~ExeFinder() {
    debugLog(logger, 2, "ExeFinder: Destroyed.");
    logger.reset();
}

void ExeFinder::setMappings(const ApplicationMappings& rules) {
    if (&rules != &mappings) mappings = rules;
}

std::string ExeFinder::getApplicationName(const std::string& path) {
    if (path.empty() || path[0] == '\0') return kUndefinedName;
    Wow64RedirectionOff redirection;

    std::string key = path;
    toLowerCase(key);
    auto stored = known.find(key);
    if (stored != known.end()) {
        ExeInfo record = stored->second;
        decideName(record, mappings, logger);
        return record.appName;
    }

    debugLog(logger, 5, "ExeFinder: No information stored about \"%s\". Checking file directly.",
             key);
    ExeInfo record;
    bool described = SMScan::readVersionInfo(record, key);
    record.menuName.clear();
    record.exeFile = fileName(path);
    decideName(record, mappings, logger);
    known.emplace(key, record);
    if (described) {
        debugLog(logger, 5, "ExeFinder: Stored \"%s\" = \"%s\" for future references.", key,
                 record.appName);
    } else if (record.appName == kIgnoredName) {
        debugLog(logger, 5, "ExeFinder: Ignoring \"%s\".", key);
    } else {
        debugLog(logger, 5, "ExeFinder: No information found for \"%s\". Using \"%s\".", key,
                 record.appName);
    }
    return record.appName;
}

}  // namespace Velmar
