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
ExeFinder::DisableRedirection ExeFinder::disableRedirection = nullptr;
ExeFinder::RevertRedirection ExeFinder::revertRedirection = nullptr;

namespace {

// GetProcAddress answers a generic function pointer; going through void(*)()
// says that the cast to the real signature is meant.
template <typename Fn>
Fn lookUp(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

ExeFinder::ExeFinder(const SmartPointer<LoggerUnit>& log) {
    logger = log;
    debugLog(logger, 2, "ExeFinder: Created.");
    kernel32.reset(::LoadLibraryA("kernel32.dll"));
    disableRedirection =
        lookUp<DisableRedirection>(kernel32.get(), "Wow64DisableWow64FsRedirection");
    revertRedirection = lookUp<RevertRedirection>(kernel32.get(), "Wow64RevertWow64FsRedirection");
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
    Wow64RedirectionOff redirection(disableRedirection, revertRedirection);

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
