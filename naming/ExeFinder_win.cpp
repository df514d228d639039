// Name resolution with a memory per path and WOW64 redirection switched off.
#include "naming/ExeFinder.h"

#include "naming/NameRules.h"
#include "scan/SMScan.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/Wow64.h"

namespace Velmar {

const char ExeFinder::kUndefinedName[] = "[UNDEFINED]";

SmartPointer<LoggerUnit> ExeFinder::logger;
LoggerUnitLog ExeFinder::log{ExeFinder::logger};

ExeFinder::ExeFinder(const SmartPointer<LoggerUnit>& unit) {
    logger = unit;
    debugLog(log, 2, "ExeFinder: Created.");
}

ExeFinder::~ExeFinder() {
    debugLog(log, 2, "ExeFinder: Destroyed.");
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
        decideName(record, mappings, log);
        return record.appName;
    }

    debugLog(log, 5, "ExeFinder: No information stored about \"%s\". Checking file directly.", key);
    ExeInfo record;
    bool described = SMScan::readVersionInfo(record, key);
    record.menuName.clear();
    record.exeFile = fileName(path);
    decideName(record, mappings, log);
    known.emplace(key, record);
    if (described) {
        debugLog(log, 5, "ExeFinder: Stored \"%s\" = \"%s\" for future references.", key,
                 record.appName);
    } else if (record.appName == kIgnoredName) {
        debugLog(log, 5, "ExeFinder: Ignoring \"%s\".", key);
    } else {
        debugLog(log, 5, "ExeFinder: No information found for \"%s\". Using \"%s\".", key,
                 record.appName);
    }
    return record.appName;
}

}  // namespace Velmar
