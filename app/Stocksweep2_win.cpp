#include "app/Stocksweep2.h"

#include "app/DataFileWin.h"
#include "app/InventoryOps.h"
#include "app/InventoryWriter.h"
#include "app/OfflineProfiles.h"
#include "app/RegistryScan.h"
#include "naming/MappingLoader.h"
#include "scan/SMScan.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/config/ConfReader.h"
#include "shared/library/common/Exception.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/system/Wow64.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logsetup/LoggingSetup.h"
#include "shared/library/logger/LogMessenger.h"

#include <chrono>
#include <cstdlib>
#include <new>

namespace Velmar {

namespace {

const char kModuleTypeAssignment[] = "VelmarModuleType=Client";
const char kModuleTypeName[] = "VelmarModuleType";
const char kModuleTypeClient[] = "Client";

const char kDebugLogValue[] = "StocksweepDebugLog";
const char kDefaultDebugLog[] = "StocksweepDebug.log";
const char kInstallDirValue[] = "InstallDir";
const char kDefaultConfigFile[] = "/stocksweep.conf";
// Below the install directory when the configuration names no working directory.
const char kDefaultWorkingDir[] = "Log\\temp\\Inventory";

const char kDebugLevelKey[] = "stocksweep.log.debug-level";
const char kWorkingDirKey[] = "stocksweep.working-dir";
const char kOfflineProfilesKey[] = "stocksweep.scan.offline-profiles";
const char kRegistryKey[] = "stocksweep.scan.registry";
const char kStartMenuKey[] = "stocksweep.scan.start-menu";
const char kConfDirKey[] = "Velmar.directories.conf";
// The catalogue files this program reads (a substring test on the file names).
const char kMessageModules[] = "stocksweep,configuration";

// Doubled separators folded after the first character, a trailing "\" added.
void normaliseDir(std::string& dir) {
    normaliseSeparators(dir);
    ensureTrailingSeparator(dir);
}

}  // namespace

Stocksweep2::Stocksweep2(const std::string& commandLine) {
    // Before any file is touched: the existence test of a path on a drive
    // without its medium ("A:\setup.exe") would otherwise raise the system's
    // error box, and this windowless run would wait for someone to answer it.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The C runtime and the Windows API keep separate copies of the environment;
    // the directory resolution reads the Windows one.
    _putenv(kModuleTypeAssignment);
    ::SetEnvironmentVariableA(kModuleTypeName, kModuleTypeClient);
    options = parseCommandLine(commandLine);
}

Stocksweep2::~Stocksweep2() {
    exeFinder.reset();
    SMScan::clearLogger();
    logSettings.conf.reset();
    logSettings.logger.reset();
    logSettings.messenger.reset();
    logSettings.centre.reset();
    // The catalogue goes with this object; nothing may look texts up in it after.
    if (catalogue() == &logCommons) setCatalogue(nullptr);
}

bool Stocksweep2::init() {
    try {
        if (readSuiteValue(kDebugLogValue, logSettings.fileName) != kRegOk) {
            logSettings.fileName = kDefaultDebugLog;
        }
        logSettings.appId = kStocksweepAppId;
        logSettings.module = kStocksweepModule;
        if (!initializeLogging(logSettings)) return false;

        logSettings.conf = std::make_shared<ConfReader>(logSettings.centre);
        // A missing or unreadable file shows itself in the key reads below.
        logSettings.conf->buildDomTree(configFileName());

        SMScan::setLogger(logSettings.logger);
        loadLogMessages();
        setCatalogue(&logCommons);
        if (!reconfigureLogging(logSettings)) return false;

        int32_t level = 0;
        if (getInteger(logSettings.conf, kDebugLevelKey, level) == CR_OK) setDebugLevel(level);

        if (!readOwnKeys()) return false;
        getHostIdentity(domainName, hostName, architecture, osName);
        return createExeFinder();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::string Stocksweep2::configFileName() {
    std::string path;
    if (takeConfigFileOption(options, path)) return path;
    initSystemInfo();
    return configDir() + kDefaultConfigFile;
}

bool Stocksweep2::readOwnKeys() {
    std::string installDirectory;
    if (readSuiteValue(kInstallDirValue, installDirectory) != kRegOk) {
        installDirectory = currentDirectory();
    }
    normaliseDir(installDirectory);

    if (getDirName(logSettings.conf, kWorkingDirKey, workingDir) != CR_OK) {
        workingDir = installDirectory + kDefaultWorkingDir;
    }
    normaliseDir(workingDir);
    debug(4, "Working dir: %s.", {workingDir});

    if (!makeDirectories(workingDir)) {
        log.message(kSeverityFatal, AppMessage::kWorkingDirUncreated, {workingDir});
        return false;
    }

    std::vector<std::string> names;
    if (logSettings.conf->getSubObjects(kRegistryKey, names) != CR_OK) {
        log.message(kSeverityFatal, AppMessage::kKeyUnreadable, {kRegistryKey});
        return false;
    }
    for (const std::string& name : names) {
        bool enabled = false;
        if (getBool(logSettings.conf, std::string(kRegistryKey) + "." + name, enabled) == CR_OK &&
            enabled) {
            registryRoots.push_back(name);
        }
    }
    if (registryRoots.empty()) {
        log.message(kSeverityFatal, AppMessage::kKeyUnreadable, {kRegistryKey});
        return false;
    }

    if (getBool(logSettings.conf, kStartMenuKey, scanStartMenu) != CR_OK) {
        log.message(kSeverityFatal, AppMessage::kKeyUnreadable, {kStartMenuKey});
        return false;
    }
    // Absent or unreadable: the hive files of users who are not logged on are
    // not read.
    if (getBool(logSettings.conf, kOfflineProfilesKey, offlineProfiles) != CR_OK) {
        offlineProfiles = false;
    }
    return true;
}

void Stocksweep2::loadLogMessages() {
    debug(1, "Loading log messages...");
    std::string confDir;
    if (getDirName(logSettings.conf, kConfDirKey, confDir) != CR_OK) {
        log.message(kSeverityError, AppMessage::kKeyUnreadable, {kConfDirKey});
        return;
    }
    const LoadResult result = logCommons.loadMessages(confDir, kMessageModules);
    if (!result.ok) {
        log.message(kSeverityError, AppMessage::kMessagesUnloaded, {result.error});
        return;
    }
    if (result.loaded.empty()) {
        debug(1, "No log messages were loaded.");
    } else {
        for (size_t i = 0; i < result.loaded.size(); ++i) {
            debug(2, "Loaded %i messages for module \"%s\".", {result.counts[i], result.loaded[i]});
        }
    }
    for (const std::string& name : result.rejected) {
        debug(2, "Messages for module \"%s\" were rejected.", {name});
    }
}

bool Stocksweep2::createExeFinder() {
    if (exeFinder) return true;
    debug(1, "Creating ExeFinder...");
    try {
        exeFinder = std::make_shared<ExeFinder>(logSettings.logger);
    } catch (const std::bad_alloc&) {
        exeFinder.reset();
    }
    if (!exeFinder) {
        log.message(kSeverityFatal, AppMessage::kResolverUncreated, {});
        return false;
    }
    try {
        loadApplicationMappings(logSettings.conf, *exeFinder, log);
    } catch (const Exception& e) {
        // A mapping file that exists but cannot be read: its exclusions and
        // names would be missing from the data file, so the run does not start.
        debug(1, "Cannot load application mappings: %s.", {e.text()});
        exeFinder.reset();
        log.message(kSeverityFatal, AppMessage::kResolverUncreated, {});
        return false;
    }
    debug(1, "ExeFinder created.");
    return true;
}

bool Stocksweep2::run() {
    const auto started = std::chrono::steady_clock::now();
    log.message(kSeverityNotice, AppMessage::kScanStarted, {});
    const size_t startMenus = scanStartMenu ? scanStartMenus() : 0;
    const size_t keys = scanRegistryRoots();

    HostIdentity host{domainName, hostName, architecture, osName};
    DataFileWin file;
    const InventoryOutcome outcome =
        writeInventoryData(candidates.candidates(), host, workingDir, ::GetCurrentProcessId(),
                           dataFile != nullptr ? *dataFile : file, log);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
    log.message(kSeverityNotice, AppMessage::kScanEnded,
                {static_cast<uint32_t>(outcome.records), dataFileSummary(outcome),
                 static_cast<uint32_t>(keys), static_cast<uint32_t>(startMenus),
                 static_cast<uint32_t>(seconds.count())});
    return outcome.delivered;
}

size_t Stocksweep2::scanStartMenus() {
    debug(1, "Now scanning the start menus...");
    SMScan scanner;
    SMScan::ExeMap found;
    if (!scanner.scan(found, false)) {
        log.message(kSeverityWarning, AppMessage::kStartMenuScanFailed, {});
        return 0;
    }
    debug(2, "Processing start menu information....");
    for (const auto& entry : found) candidates.processCandidate(entry.first);
    return scanner.startMenuPaths().size();
}

size_t Stocksweep2::scanRegistryRoots() {
    size_t walked = 0;
    // The root's key is taken by name without making it the suite's current
    // hive: the suite's own values (the log file's bookkeeping, references in
    // scanned values) stay readable while other hives are walked.
    const bool view32 = isWow64();
    ProcessEnvironment process(log);
    const std::unique_ptr<TextExpander> users = loadedUserEnvironments(process, log);
    for (const std::string& name : registryRoots) {
        debug(1, "Now opening Registry root \"%s\"...", {name});
        HKEY root = nullptr;
        if (!hiveRootKey(name, root)) {
            log.message(kSeverityError, AppMessage::kNoHive, {name});
            continue;
        }
        debug(1, "Now scanning Registry root \"%s\"...", {name});
        keyQueue.push_back("");
        // The hives of the users loaded there expand their texts with each
        // user's own profile.
        TextExpander& expander = root == HKEY_USERS ? *users : process;
        walked += scanRegistryRoot(root, name, view32, keyQueue, candidates, log, expander);
    }
    if (offlineProfiles) {
        debug(1, "Now reading the registries of users who are not logged on...");
        walked += scanOfflineProfiles(keyQueue, candidates, log);
    }
    return walked;
}

void Stocksweep2::debug(int32_t level, const char* format, const LogParams& params) {
    log.debug(level, format, params);
}

}  // namespace Velmar
