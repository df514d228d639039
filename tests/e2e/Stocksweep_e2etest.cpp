// stocksweep.exe run as a second process under a suite installation that the
// fixture lays out: a configuration directory with the installed catalogue, a
// mapping file, a suite registry key (through VELMAR_ENV), executables with
// and without version resources, a user profile with a Start-menu shortcut and
// registry entries of every kind the registry scan reads, below a scratch key
// of HKEY_CURRENT_USER. The host contributes records of its own; only those
// below the fixture's directory, or of files named "hosts...", are compared.
#include "app/InventoryOps.h"
#include "app/InventoryRecord.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/common/Environment.h"
#include "shared/library/system/Wow64.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/SuiteConfiguration.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::confPath;
using testing::copyFile;
using testing::lowered;
using testing::maskLogTimes;
using testing::readFile;
using testing::ScratchDir;
using testing::ScratchKey;
using testing::SuiteConfiguration;

const uint32_t kRunLimitMs = 120000;
const char kLogFile[] = "e2e.log";
// A host name holding a field separator of the data file.
const char kHostName[] = "e2e:host";
const char kAppsVariable[] = "STOCKSWEEP_E2E_APPS";

// The records of a data file, each "<line>\r\n1\r\n", in file order.
std::vector<std::string> records(const std::string& data) {
    std::vector<std::string> result;
    const std::string end = "\r\n1\r\n";
    size_t start = 0;
    for (size_t at; (at = data.find(end, start)) != std::string::npos; start = at + end.size()) {
        result.push_back(data.substr(start, at + end.size() - start));
    }
    EXPECT_EQ(start, data.size()) << "the data file ends inside a record";
    return result;
}

// The log as the agent wrote it, compared whole: times and the zone masked
// (maskLogTimes), each line's thread shown as "<id>", the fixture's folder
// (`rootPath`, with its separator) in either case as "<root>\". Warnings about
// keys of the host's own registry outside the fixture's key `scanKey` are left
// out: which keys a host cannot read is its own affair.
std::string maskedLog(const std::string& text, const std::string& rootPath,
                      const std::string& scanKey) {
    static const std::regex thread(R"(^(\S+ +<time> \([0-9.]+\) +)\d+: )");
    const std::string root = rootPath.substr(0, rootPath.size() - 1);
    std::string masked;
    std::istringstream in(maskLogTimes(text));
    for (std::string line; std::getline(in, line);) {
        if (line.find("(5.24.10)") != std::string::npos &&
            line.find(scanKey) == std::string::npos) {
            continue;
        }
        for (const std::string& form : {root, lowered(root)}) {
            for (size_t at; (at = line.find(form)) != std::string::npos;) {
                line.replace(at, form.size(), "<root>");
            }
        }
        masked += std::regex_replace(line, thread, "$1<id>: ") + "\n";
    }
    return masked;
}

// The lines of catalogue messages in a log, in order, each without its line feed.
std::vector<std::string> catalogueLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        for (const char* severity : {"NOTICE ", "WARNING ", "ERROR ", "CRITICAL ", "FATAL "}) {
            if (line.rfind(severity, 0) == 0) lines.push_back(line);
        }
    }
    return lines;
}

// `text` with each line feed preceded by a carriage return, as the log writes lines.
std::string withCrLf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

// The data files in a directory.
std::vector<std::string> dataFiles(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    UniqueFindHandle find(::FindFirstFileA((dir + "inventory-*.data").c_str(), &data));
    if (find) {
        do {
            names.push_back(data.cFileName);
        } while (::FindNextFileA(find.get(), &data));
    }
    return names;
}

// Texts as real hosts hold them, each once a source of a wrong, second or
// missing record. Every file they name is called "hosts...", so that their
// records, and the phantom records they once gave, pass the comparison's filter
// wherever they lie. Two programs lie in the 64-bit system folder only (the
// real one, not SysWOW64): one named by a registry text, one by a shortcut.
class HostCases {
public:
    struct Record {
        std::string path;  // lower-case
        std::string name;
    };

    HostCases() {
        const std::string suffix = std::to_string(::GetCurrentProcessId()) + ".exe";
        systemProgram = kSystemFolder + std::string("hostssys") + suffix;
        systemLinkTarget = kSystemFolder + std::string("hostslink") + suffix;
    }
    ~HostCases() {
        Wow64RedirectionOff redirection;
        ::DeleteFileA(systemProgram.c_str());
        ::DeleteFileA(systemLinkTarget.c_str());
    }
    HostCases(const HostCases&) = delete;
    HostCases& operator=(const HostCases&) = delete;

    // `apps` is on the program's search path; the program runs in `root`.
    void layOut(const ScratchDir& root, const std::string& apps, const ScratchKey& scan,
                const std::string& startMenu) {
        const std::string hosts = root.makeDir("Host Programs");
        root.makeDir("Host Programs\\hostssub");
        for (const char* name : {"hostsshort", "hostsdot", "hostslist"}) {
            copyFile(testing::helperExe("ver_none"), hosts + name + ".exe");
        }
        char shortForm[MAX_PATH] = {};
        const DWORD length = ::GetShortPathNameA(hosts.c_str(), shortForm, MAX_PATH);
        ASSERT_TRUE(length > 0 && length < MAX_PATH);
        std::string shortHosts = shortForm;
        if (shortHosts.back() != '\\') shortHosts += '\\';
        ASSERT_NE(shortHosts.find('~'), std::string::npos) << shortHosts;

        // A quoted short path with an argument, and the same program by its long path.
        scan.setString("Hosts", "QuotedShort", "\"" + shortHosts + "hostsshort.exe\" /x");
        scan.setString("Hosts", "LongForm", hosts + "hostsshort.exe");
        // Below a key named like an executable, keys named like files of the
        // search path.
        copyFile(testing::helperExe("ver_none"), apps + "hostsapp.exe");
        for (const char* name : {"shell", "open", "command"}) {
            copyFile(testing::helperExe("ver_none"), apps + name);
        }
        scan.setString("Applications\\hostsapp.exe\\shell\\open\\command", "",
                       "\"" + apps + "hostsapp.exe\" \"%1\"");
        // Wildcards of the directory search: "<" and ">" match the folder
        // hostswild.exe, which a file search answers without opening it.
        root.makeDir("Host Programs\\hostswild.exe");
        scan.setString("Hosts", "WildLess", hosts + "hostsw<.exe");
        scan.setString("Hosts", "WildMore", hosts + "hostswil>.exe");
        // A folder on the search path, named like an executable.
        root.makeDir("apps\\hostsfolder.exe");
        scan.setString("Hosts", "Folder", "hostsfolder.exe");
        // A folder below the program's current directory.
        root.makeDir("hostsrel");
        copyFile(testing::helperExe("ver_none"), root.path() + "hostsrel\\hostsrel.exe");
        scan.setString("Hosts", "Relative", "hostsrel\\hostsrel.exe");
        // Dot segments: one file under two more spellings.
        scan.setString("Hosts", "DotDot", hosts + "hostssub\\..\\hostsdot.exe");
        scan.setString("Hosts", "Dot", hosts + ".\\hostsdot.exe");
        // An event-message file list whose last file is the executable.
        scan.setString("Hosts", "List",
                       shortHosts + "HOSTSLIB.DLL;" + shortHosts + "HOSTSLIST.EXE");

        {
            Wow64RedirectionOff redirection;
            copyFile(testing::helperExe("ver_us"), systemProgram);
            copyFile(testing::helperExe("ver_german"), systemLinkTarget);
        }
        scan.setString("Hosts", "System", systemProgram);
        // The shell is given a target that this process can see: in a 32-bit
        // process a SysWOW64 copy, removed once the shortcut is saved.
        const bool redirected = isWow64();
        if (redirected) copyFile(testing::helperExe("ver_german"), systemLinkTarget);
        testing::makeShortcut(startMenu + "Host System.lnk", systemLinkTarget);
        if (redirected) ::DeleteFileA(systemLinkTarget.c_str());

        expected = {
            {lowered(apps) + "hostsapp.exe", "hostsapp"},
            {lowered(hosts) + "hostsdot.exe", "hostsdot"},
            {lowered(hosts) + "hostslist.exe", "hostslist"},
            {lowered(hosts) + "hostsshort.exe", "hostsshort"},
            {lowered(systemProgram), "English Suite"},
            {lowered(systemLinkTarget), "Neutral Tool"},
        };
    }

    std::vector<Record> expected;

private:
    static constexpr const char* kSystemFolder = "C:\\windows\\system32\\";
    std::string systemProgram;
    std::string systemLinkTarget;
};

class Stocksweep : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureScannerCom();
        configuration.installCatalogues({"stocksweep", "configuration"});
        configuration.writeMapping(
            "# fixture rules\nignore\n{\nignored\n}\nmapalways\n{\ndelta = Delta: Works\n}\n");
        logDir = root.makeDir("Log");
        apps = root.makeDir("apps");
        const struct {
            const char* name;
            const char* carrier;
        } exes[] = {
            {"alpha", "ver_us"},    {"beta", "ver_german"},  {"gamma", "ver_none"},
            {"delta", "ver_none"},  {"epsilon", "ver_none"}, {"multi1", "ver_none"},
            {"multi2", "ver_none"}, {"ignored", "ver_none"}, {"zeta", "ver_none"},
            {"menu", "ver_german"},
        };
        for (const auto& exe : exes) {
            copyFile(testing::helperExe(exe.carrier), apps + exe.name + ".exe");
        }

        suite.setString("", "InstallDir", root.path());
        suite.setString("", "ConfigurationDir", configuration.dir());
        suite.setString("", "StocksweepDebugLog", kLogFile);
        suite.setString("", "StartupLogDir", logDir);
        const DWORD level = 5;
        suite.setBytes("", "StartupDebugLevel", REG_DWORD, &level, sizeof(level));

        // Every kind of registry entry the scan reads, and some that give nothing.
        const std::string appPaths = "App Paths\\alpha.exe";
        scan.setString(appPaths, "", "found on the search path");
        const DWORD one = 1;
        scan.setBytes("Installed", apps + "beta.exe", REG_DWORD, &one, sizeof(one));
        scan.setString("Run", "Two", "\"" + apps + "gamma.exe\" -x \"" + apps + "delta.exe\" /y");
        const std::string multi = apps + "multi1.exe" + '\0' + apps + "multi2.exe" + '\0' + '\0';
        scan.setBytes("Run", "Multi", REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size()));
        scan.setString("Run", "Expand", std::string("%") + kAppsVariable + "%\\epsilon.exe",
                       REG_EXPAND_SZ);
        scan.setString("Run", "Ignored", apps + "ignored.exe");
        scan.setString("Run", "Missing", apps + "missing.exe");
        scan.setString("Run", "Mixed", apps + "zeta.Exe");

        // A key whose whole path from the hive's root is longer than 260
        // characters, which only its parent can open.
        std::string deep = "Deep";
        for (char c = 'a'; c < 'f'; ++c) deep += "\\" + std::string(50, c);
        ASSERT_GT(scan.sub(deep).size(), 260u);
        copyFile(testing::helperExe("ver_none"), apps + "deepkey.exe");
        scan.setString(deep, "Tool", apps + "deepkey.exe");

        const std::string menu = profile.makeDir("Start Menu");
        testing::makeShortcut(menu + "Menu Tool.lnk", apps + "menu.exe");

        hostCases.layOut(root, apps, scan, menu);
    }

    // Runs the program with the command line `arguments`; answers its exit code.
    uint32_t runProgram(const std::string& arguments) {
        std::string path;
        readEnvironment("PATH", path);
        const std::string environment =
            testing::environmentBlock({}, {{"VELMAR_ENV", suite.path()},
                                           {"velmar_hostname", kHostName},
                                           {kAppsVariable, apps.substr(0, apps.size() - 1)},
                                           {"PATH", apps.substr(0, apps.size() - 1) + ";" + path}});
        testing::ChildProcess child(testing::testProgramDir() + "stocksweep.exe", arguments,
                                    environment, root.dir());
        child.readAll();
        return child.wait(kRunLimitMs);
    }

    std::string log() { return readFile(logDir + kLogFile); }

    ScratchDir root{"ssweep-e2e"};
    ScratchDir profile{"ssweep-e2e-profile", testing::profilesDirectory() + "\\"};
    ScratchKey suite{"StocksweepE2ESuite", HKEY_LOCAL_MACHINE, true};
    ScratchKey scan{"StocksweepE2EScan"};
    const SuiteConfiguration configuration{root, "Configuration"};
    std::string logDir;
    std::string apps;
    HostCases hostCases;
};

TEST_F(Stocksweep, InventoryOfTheFixtureHoldsEveryExecutableFoundOnce) {
    // No working directory configured: the default below the suite's InstallDir.
    const std::string work = root.path() + "Log\\temp\\Inventory\\";
    // A path with a blank, in quotes.
    const std::string conf =
        configuration.writeConf("stock sweep.conf",
                                "stocksweep () = '' {\n"
                                "  log () = '' { debug-level (Integer) = 2 {} }\n"
                                "  scan () = '' { start-menu (Bool) = true {} registry () = '' {\n"
                                "    HKEY_LOCAL_MACHINE (Bool) = false {}\n"
                                "    HKEY_CURRENT_USER\\Software (Bool) = true {}\n"
                                "    HKEY_CURRENT_USER (Bool) = true {} } } }\n");

    // The core service's end of the channel that catalogue messages go to.
    testing::MailslotReader core(testing::MailslotReader::ExactName{}, "Velmar_Core");

    ASSERT_EQ(runProgram("-c \"" + conf + "\""), 0u) << log();

    const std::vector<std::string> files = dataFiles(work);
    ASSERT_EQ(files.size(), 1u);
    const int32_t seconds = std::stoi(files[0].substr(10));
    DateTime dayStart(seconds);
    dayStart.floor(TimeSpan(86400), DateTime::localZone());

    HostIdentity host;
    getHostIdentity(host.domainName, host.hostName, host.architecture, host.osName);
    host.hostName = "e2e_host";
    const std::string dir = lowered(apps);
    const struct {
        const char* file;
        const char* name;
    } expected[] = {
        {"alpha.exe", "English Suite"},  // App Paths key, found on the search path
        {"beta.exe", "Neutral Tool"},    // value named by the full path
        {"deepkey.exe", "deepkey"},      // below a key of a path past 260 characters
        {"delta.exe", "Delta_ Works"},   // second quoted path of a REG_SZ; mapped
        {"epsilon.exe", "epsilon"},      // REG_EXPAND_SZ, expanded
        {"gamma.exe", "gamma"},          // first quoted path of a REG_SZ
        {"menu.exe", "Neutral Tool"},    // Start-menu shortcut
        {"multi1.exe", "multi1"},        // REG_MULTI_SZ, both strings
        {"multi2.exe", "multi2"},
    };
    // Path -> application name, in the data file's order.
    std::map<std::string, std::string> wantedNames;
    for (const auto& e : expected) wantedNames[dir + e.file] = e.name;
    for (const auto& e : hostCases.expected) wantedNames[e.path] = e.name;
    std::string wanted;
    for (const auto& e : wantedNames) {
        wanted +=
            formatInventoryRecord(dayStart.getSeconds(), host, CandidateRecord{e.first, e.second});
    }
    // Records of the fixture's folders, and of files named "hosts..." anywhere.
    std::string fixtureRecords;
    std::string replacedDir = lowered(root.path());
    replaceFieldBreakers(replacedDir);
    for (const std::string& record : records(readFile(work + files[0]))) {
        if (record.find(":0:" + replacedDir) != std::string::npos ||
            record.find(":0:hosts") != std::string::npos) {
            fixtureRecords += record;
        }
    }
    EXPECT_EQ(fixtureRecords, wanted);

    const std::string text = log();
    const std::string body =
        R"(debug-1  <time> (5.24)    <id>: LoggerUnit: Created logger for the Stocksweep module.
debug-1  <time> (5.01)    <id>: LoggerUnit: Created logger for the Configuration module.
debug-1  <time> (5.01)    <id>: ConfReader: Created.
debug-2  <time> (5.01)    <id>: ConfReader: Building DOM tree from file "<root>\Configuration\stock sweep.conf"...
debug-2  <time> (5.01)    <id>: ConfReader: DOM tree built.
debug-1  <time> (5.24)    <id>: Loading log messages...
debug-5  <time> (5.01)    <id>: ConfReader: Getting DirName Velmar.directories.conf...
debug-5  <time> (5.01)    <id>: ConfReader: Got raw value "<root>\Configuration\".
debug-5  <time> (5.01)    <id>: ConfReader: Got final value "<root>\Configuration\".
debug-2  <time> (5.24)    <id>: Loaded 3 messages for module "configuration".
debug-2  <time> (5.24)    <id>: Loaded 14 messages for module "stocksweep".
debug-5  <time> (5.01)    <id>: ConfReader: Getting DirName Velmar.directories.log...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting String log.time...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting String log.rotation.scheme...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting TimeSpan log.rotation.time...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting Integer log.rotation.size...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting String log.global.severity...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-5  <time> (5.01)    <id>: ConfReader: Getting Integer log.global.debug-level...
debug-5  <time> (5.01)    <id>: ConfReader: Not found.
debug-1  <time> (5.24)    <id>: Creating ExeFinder...
debug-2  <time> (5.24)    <id>: ExeFinder: Created.
debug-1  <time> (5.24)    <id>: Loading application mappings...
debug-1  <time> (5.24)    <id>: Application mappings loaded.
debug-1  <time> (5.24)    <id>: ExeFinder created.
NOTICE   <time> (5.24.01) <id>: Inventory scan started.
debug-1  <time> (5.24)    <id>: Now scanning the start menus...
debug-2  <time> (5.24)    <id>: SMScan: Initializing the COM library...
debug-2  <time> (5.24)    <id>: SMScan: Initialized COM library.
debug-2  <time> (5.24)    <id>: Processing start menu information....
debug-1  <time> (5.24)    <id>: Destroying SMScan.
debug-1  <time> (5.24)    <id>: Now opening Registry root "HKEY_CURRENT_USER\Software"...
ERROR    <time> (5.24.09) <id>: "HKEY_CURRENT_USER\Software" is not a registry hive name; the root is skipped.
debug-1  <time> (5.24)    <id>: Now opening Registry root "HKEY_CURRENT_USER"...
debug-1  <time> (5.24)    <id>: Now scanning Registry root "HKEY_CURRENT_USER"...
debug-2  <time> (5.24)    <id>: Scanning root key "HKEY_CURRENT_USER"...
debug-1  <time> (5.24)    <id>: Now logging data to disk...
debug-1  <time> (5.24)    <id>:    Done logging data to disk.
debug-2  <time> (5.24)    <id>: ExeFinder: Destroyed.
debug-1  <time> (5.01)    <id>: ConfReader: Destroyed.
debug-1  <time> (5.01)    <id>: LoggerUnit: Destroyed logger for the Configuration module.
debug-1  <time> (5.24)    <id>: LoggerUnit: Destroyed logger for the Stocksweep module.
)";
    const std::string logPath = "<root>\\log\\" + std::string(kLogFile);
    EXPECT_EQ(maskedLog(text, root.path(), scan.path()),
              testing::openNoteMasked(logPath) + withCrLf(body) +
                  testing::closeNoteMasked(logPath, "Quitting Logger Agent"));

    // Every catalogue message of the log went to the core service too, in order.
    const std::vector<std::string> logged = catalogueLines(text);
    const std::vector<std::string> frames = core.readAll();
    ASSERT_EQ(frames.size(), logged.size()) << text;
    ASSERT_GE(frames.size(), 2u);
    EXPECT_NE(frames[0].find("LOGMSG"), std::string::npos);
    EXPECT_NE(frames[1].find("HKEY_CURRENT_USER\\Software"), std::string::npos) << frames[1];
}

TEST_F(Stocksweep, StartUpFailuresEndWithExitCodeOneAndNoDataFile) {
    const std::string file = root.makeFile("blocker");
    // A configuration directory whose mapping file cannot be read.
    const SuiteConfiguration unreadable(root, "Unreadable");
    root.makeDir("Unreadable\\components\\appmapping.conf");
    unreadable.installCatalogues({"stocksweep"});
    const std::string enabled =
        "  scan () = '' { start-menu (Bool) = false {} registry () = '' {\n"
        "    HKEY_CURRENT_USER (Bool) = true {} } } }\n";
    // A FATAL line of the module, masked as maskedLog shows it, with its line end.
    const auto fatal = [](const std::string& number, const std::string& text) {
        return "FATAL    <time> (5.24." + number + ") <id>: " + text + "\r";
    };
    const std::string noRegistry =
        fatal("03", "Cannot read the configuration key \"stocksweep.scan.registry\".");
    const struct {
        const char* name;
        std::string stocksweep;           // the body of the "stocksweep" entry, its "}" included
        std::vector<std::string> logged;  // the run's catalogue lines
    } cases[] = {
        {"no-root",
         "  scan () = '' { start-menu (Bool) = true {} registry () = '' {\n"
         "    HKEY_LOCAL_MACHINE (Bool) = false {} HKEY_USERS (Bool) = false {} } } }\n",
         {noRegistry}},
        {"no-start-menu",
         "  scan () = '' { registry () = '' { HKEY_CURRENT_USER (Bool) = true {} } } }\n",
         {fatal("03", "Cannot read the configuration key \"stocksweep.scan.start-menu\".")}},
        {"no-working-dir",
         enabled,
         {fatal("02",
                "Cannot create the working directory \"<root>\\blocker\\inventory\\\"; "
                "no inventory is taken.")}},
        // Run without options: the file of that name in the configuration directory.
        {"stocksweep",
         enabled,
         {fatal("02",
                "Cannot create the working directory \"<root>\\blocker\\default\\\"; "
                "no inventory is taken.")}},
        {"mapping-unreadable",
         enabled,
         {fatal("05", "Cannot create the executable name resolver; no inventory is taken.")}},
        // Reported before the catalogue is loaded: by its number, without its text.
        {"syntax",
         "  scan () = '' {\n  start-menu (Bool) false {} } }\n",
         {"ERROR    <time> (5.01.02) <id>: (Message not found.) Parameters: "
          "<root>\\Configuration\\syntax.conf  Configuration: Error in conf file. (Code: 1.1)  \r",
          noRegistry}},
    };
    std::string syntaxRun;
    for (const auto& c : cases) {
        const std::string name = c.name;
        const std::string work = name == "no-working-dir" ? file + "\\inventory\\"
                                 : name == "stocksweep"   ? file + "\\default\\"
                                                          : root.path() + name + "\\";
        const std::string conf =
            configuration.writeConf(std::string(c.name) + ".conf",
                                    "stocksweep () = '' {\n  working-dir (DirName) = '" +
                                        confPath(work) + "' {}\n" + c.stocksweep,
                                    name == "mapping-unreadable" ? unreadable.dir() : "");
        const size_t before = testing::rawExists(logDir + kLogFile) ? log().size() : 0;
        // "-c" glued to the quoted path, or nothing for the default file.
        EXPECT_EQ(runProgram(name == "stocksweep" ? "" : "-c\"" + conf + "\""), 1u) << c.name;
        EXPECT_TRUE(dataFiles(work).empty()) << c.name;
        // No "Inventory scan started.", no second failure.
        const std::string run = log().substr(before);
        EXPECT_EQ(catalogueLines(maskedLog(run, root.path(), scan.path())), c.logged)
            << c.name << "\n"
            << run;
        if (name == "syntax") syntaxRun = run;
    }
    // The syntax error names its line (the sixth of the file).
    EXPECT_NE(
        syntaxRun.find("ConfReader: Configuration: Error in conf file. (Code: 1.1), line 6.\r\n"),
        std::string::npos)
        << syntaxRun;
}

}  // namespace
}  // namespace Velmar
