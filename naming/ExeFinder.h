// The name resolver: the application name of an executable from its version
// resource, the mapping rules and what the Start menus said, remembered per
// path for the rest of the run. The name "!" means: leave the executable out.
#pragma once

#include "naming/ApplicationMappings.h"
#include "scan/ExeInfo.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/LoggerUnitLog.h"

#include <map>
#include <string>

namespace Velmar {

class ExeFinder {
public:
    // The name of an empty path.
    static const char kUndefinedName[];

    // Keeps `unit` as the class-wide logger.
    explicit ExeFinder(const SmartPointer<LoggerUnit>& unit);
    virtual ~ExeFinder();

    ExeFinder(const ExeFinder&) = delete;
    ExeFinder& operator=(const ExeFinder&) = delete;

    // Replaces the rules by a copy of `rules`.
    void setMappings(const ApplicationMappings& rules);

    // The application name of the executable at `path`; "!" to leave it out,
    // "[UNDEFINED]" for an empty path. The version resource of a path is read
    // once; later requests, in any letter case, are answered from memory.
    // WOW64 redirection is off for the calling thread during the lookup, so a
    // 32-bit process sees the real system folders.
    std::string getApplicationName(const std::string& path);

private:
    std::map<std::string, ExeInfo> known;
    ApplicationMappings mappings;

    static SmartPointer<LoggerUnit> logger;
    // Writes through `logger` while it holds a unit.
    static LoggerUnitLog log;
};

}  // namespace Velmar
