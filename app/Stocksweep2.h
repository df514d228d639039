// The application object: one inventory scan per process. The entry point
// builds it, calls init and, when that succeeds, run, then destroys it.
#pragma once

#include "app/CandidateFilesWin.h"
#include "app/CandidateSet.h"
#include "app/CommandLine.h"
#include "app/ExeFinderResolver.h"
#include "app/InventoryWriter.h"
#include "naming/ExeFinder.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerUnitLog.h"

#include <deque>
#include <string>
#include <vector>

namespace Velmar {

// This program's number in the suite's application table and its module.
constexpr int32_t kStocksweepAppId = kApplicationStocksweep;
constexpr int32_t kStocksweepModule = kModuleStocksweep;

class Stocksweep2 {
public:
    // Sets the process's error mode so that a missing disk or an unopenable
    // file fails the call instead of raising a system dialog; puts
    // "VelmarModuleType=Client" into the process environment and reads the
    // options of `commandLine` (the program's arguments, as WinMain receives
    // them) with parseCommandLine. Logs nothing.
    explicit Stocksweep2(const std::string& commandLine);
    // Releases the resolver, the scanner's logger, the configuration reader
    // and then the logging chain, so that each can still log while it goes.
    virtual ~Stocksweep2();
    Stocksweep2(const Stocksweep2&) = delete;
    Stocksweep2& operator=(const Stocksweep2&) = delete;

    // Start-up: logging, configuration, catalogue, working directory, roots,
    // host identity and name resolver. False (logged as FATAL where the logger
    // exists) when the program must end with exit code 1. Never throws.
    bool init();
    // Start menus, then every configured hive, then the data file, then the
    // summary NOTICE. False when the records found could not be delivered in
    // a data file (nothing is then published).
    bool run();

    // The data file that run writes through instead of the file system's own,
    // for tests that need a file that fails or ends the process. `file` must
    // outlive run.
    void useDataFile(RecordFile& file) { dataFile = &file; }

private:
    // The catalogue files of the configuration directory; failures are logged.
    void loadLogMessages();
    // Makes the name resolver with the mapping rules; false after FATAL 5.
    bool createExeFinder();
    // The configuration file to read: "-c" if first, else the suite default.
    std::string configFileName();
    // Steps 10 to 16 of start-up: directories, roots and start-menu switch.
    bool readOwnKeys();
    // Each answers what the summary counts: Start menus found, keys walked.
    size_t scanStartMenus();
    size_t scanRegistryRoots();
    // Debug message through the application's logger (nothing before it exists).
    void debug(int32_t level, const char* format, const LogParams& params = {});

    std::string workingDir;
    LogSettings logSettings;
    Options options;
    LogCommons logCommons;
    std::vector<std::string> registryRoots;
    bool scanStartMenu = false;
    // Whether the hive files of users who are not logged on are read.
    bool offlineProfiles = false;
    std::string domainName;
    std::string hostName;
    std::string architecture;
    std::string osName;
    SmartPointer<ExeFinder> exeFinder;
    // How the candidate set reaches the file system, the resolver and the log.
    CandidateFilesWin candidateFiles;
    ExeFinderResolver resolver{exeFinder};
    LoggerUnitLog log{logSettings.logger};
    CandidateSet candidates{candidateFiles, resolver, log, toAnsi};
    std::deque<std::string> keyQueue;
    RecordFile* dataFile = nullptr;
};

}  // namespace Velmar
