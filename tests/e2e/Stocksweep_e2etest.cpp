// stocksweep.exe run as a second process under a suite installation that the
// fixture lays out: a configuration directory with the installed catalogue, a
// mapping file, a suite registry key (through VELMAR_ENV), executables with
// and without version resources, a user profile with a Start-menu shortcut and
// registry entries of every kind the registry scan reads, below a scratch key
// of HKEY_CURRENT_USER. The host contributes records of its own; only those
// below the fixture's directory, or of files named "hosts...", are compared.
#include "app/InventoryOps.h"
#include "app/InventoryRecord.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/common/Environment.h"
#include "shared/library/system/Wow64.h"
#include "tests/support/HiveSupport.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/SuiteConfiguration.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
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
// out: which keys a host cannot read is its own affair. The run's summary
// shows its numbers as "<n>" (the host adds keys, records and Start menus of
// its own), and a temporary data file's process number as "<pid>".
std::string maskedLog(const std::string& text, const std::string& rootPath,
                      const std::string& scanKey) {
    static const std::regex thread(R"(^(\S+ +<time> \([0-9.]+\) +)\d+: )");
    static const std::regex number(R"(\d+)");
    static const std::regex temporary(R"(inventory\.\d+\.partial)");
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
        line = std::regex_replace(line, thread, "$1<id>: ");
        if (line.find("(5.24.06) <id>: ") != std::string::npos) {
            const size_t text = line.find("<id>: ") + 6;
            line = line.substr(0, text) + std::regex_replace(line.substr(text), number, "<n>");
        }
        masked += std::regex_replace(line, temporary, "inventory.<pid>.partial") + "\n";
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
        if (!shortProfile.empty()) testing::removeTree(shortProfile);
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

        layOutNetwork(scan);
        layOutOutsideTheCodePage(root, hosts, scan);

        expected = {
            {lowered(apps) + "hostsapp.exe", "hostsapp"},
            {lowered(hosts) + "hostsdot.exe", "hostsdot"},
            {lowered(hosts) + "hostslist.exe", "hostslist"},
            {lowered(hosts) + "hostsshort.exe", "hostsshort"},
            {lowered(systemProgram), "English Suite"},
            {lowered(systemLinkTarget), "Neutral Tool"},
            {lowered(hosts) + "hostskey.exe", "hostskey"},
            {wideFolder + "hostswide.exe", "hostswide"},
            {wideFolder + "hostswlnk.exe", "hostswlnk"},
            {wideFolder + "hostswreg.exe", "hostswreg"},
        };
    }

    std::vector<Record> expected;

private:
    // Programs that Wine finds on a network share (a server's folder below
    // the prefix's dosdevices\unc) and on the prefix's network drive Y:
    // (scripts/wine-env makes it), named by registry texts: the run never
    // asks the network, so they give no record.
    void layOutNetwork(const ScratchKey& scan) {
        std::string prefix;
        ASSERT_TRUE(readEnvironment("WINEPREFIX", prefix));
        for (char& c : prefix) {
            if (c == '/') c = '\\';
        }
        const std::string unc = "Z:" + prefix + "\\dosdevices\\unc\\";
        ::CreateDirectoryA(unc.c_str(), nullptr);
        server = std::make_unique<ScratchDir>("ssweepsrv", unc);
        const std::string share = server->makeDir("share");
        copyFile(testing::helperExe("ver_none"), share + "hostsunc.exe");
        const std::string name = server->dir().substr(unc.size());
        const std::string onShare = "\\\\" + name + "\\share\\hostsunc.exe";
        ASSERT_NE(::GetFileAttributesA(onShare.c_str()), INVALID_FILE_ATTRIBUTES) << onShare;
        scan.setString("Hosts", "Share", onShare);
        scan.setString("Hosts", "LongShare", "\\\\?\\UNC\\" + name + "\\share\\hostsunc.exe /x");

        ASSERT_EQ(::GetDriveTypeA("Y:\\"), static_cast<UINT>(DRIVE_REMOTE));
        networkDrive = std::make_unique<ScratchDir>("ssweepnet", "Y:\\");
        const std::string onDrive = networkDrive->path() + "hostsnet.exe";
        copyFile(testing::helperExe("ver_none"), onDrive);
        ASSERT_NE(::GetFileAttributesA(onDrive.c_str()), INVALID_FILE_ATTRIBUTES) << onDrive;
        scan.setString("Hosts", "NetworkDrive", "\"" + onDrive + "\" -s");
    }

    // Names in Hebrew and Chinese letters, outside the code page 1252 that the
    // tests run with: a registry key holding an ASCII path, and a folder with a
    // program named by a registry text and by a shortcut in a user profile so
    // named. The program's record names it by the folder's short name.
    void layOutOutsideTheCodePage(const ScratchDir& root, const std::string& hosts,
                                  const ScratchKey& scan) {
        const std::u16string foreign = u"\u05E9\u05DC\u05D5\u05DD \u4E16\u754C";
        UniqueHKey key;
        std::u16string keyPath;
        ASSERT_TRUE(fromAnsi(scan.sub("Hosts\\"), keyPath));
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER,
                                    reinterpret_cast<const wchar_t*>((keyPath + foreign).c_str()), 0,
                                    nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        copyFile(testing::helperExe("ver_none"), hosts + "hostskey.exe");
        const std::string keyed = hosts + "hostskey.exe";
        ASSERT_EQ(::RegSetValueExA(key.get(), "Tool", 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(keyed.c_str()),
                                   static_cast<DWORD>(keyed.size() + 1)),
                  ERROR_SUCCESS);

        std::u16string folder;
        ASSERT_TRUE(fromAnsi(root.path(), folder));
        folder += foreign;
        ASSERT_TRUE(::CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr));
        // hostswide is named by a registry text and a shortcut, hostswreg by a
        // registry text only, hostswlnk by a shortcut only.
        std::u16string carrier;
        ASSERT_TRUE(fromAnsi(testing::helperExe("ver_none"), carrier));
        for (const char16_t* name : {u"hostswide", u"hostswreg", u"hostswlnk"}) {
            const std::u16string program = folder + u"\\" + name + u".exe";
            ASSERT_TRUE(::CopyFileW(reinterpret_cast<const wchar_t*>(carrier.c_str()),
                                    reinterpret_cast<const wchar_t*>(program.c_str()), FALSE));
        }
        // The programs' folder by its short name, the rest of the path long.
        std::string shortFolder;
        ASSERT_TRUE(shortPathName(folder, shortFolder));
        ASSERT_EQ(shortFolder.find('?'), std::string::npos) << shortFolder;
        wideFolder = lowered(root.path() + fileName(shortFolder) + "\\");

        UniqueHKey hostsKey;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(keyPath.c_str()),
                                  0, KEY_SET_VALUE, hostsKey.put()),
                  ERROR_SUCCESS);
        const std::pair<const wchar_t*, std::u16string> texts[] = {
            {L"Wide", u"\"" + folder + u"\\hostswide.exe\" /run"},
            {L"WideOnly", folder + u"\\HostsWReg.exe"},
        };
        for (const auto& text : texts) {
            ASSERT_EQ(::RegSetValueExW(hostsKey.get(), text.first, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.second.c_str()),
                                       static_cast<DWORD>((text.second.size() + 1) * sizeof(char16_t))),
                      ERROR_SUCCESS);
        }

        // A user profile so named, with a Start menu holding a shortcut to it.
        std::u16string profile;
        ASSERT_TRUE(fromAnsi(testing::profilesDirectory() + "\\", profile));
        profile += foreign + u" e2e";
        ASSERT_TRUE(::CreateDirectoryW(reinterpret_cast<const wchar_t*>(profile.c_str()), nullptr));
        ASSERT_TRUE(shortPathName(profile, shortProfile));
        const std::string menu = shortProfile + "\\Start Menu";
        ASSERT_TRUE(::CreateDirectoryA(menu.c_str(), nullptr));
        testing::makeShortcut(menu + "\\Wide Tool.lnk", folder + u"\\hostswide.exe");
        testing::makeShortcut(menu + "\\Wide Link.lnk", folder + u"\\hostswlnk.exe");
    }

    std::unique_ptr<ScratchDir> server;
    std::unique_ptr<ScratchDir> networkDrive;
    std::string wideFolder;  // the records' folder, lower-case
    std::string shortProfile;
    static constexpr const char* kSystemFolder = "C:\\windows\\system32\\";
    std::string systemProgram;
    std::string systemLinkTarget;
};

// Users who are not logged on: three made-up SIDs of the system's profile list
// whose profile folders lie in the fixture's folder, their registries in hive
// files only. The first one's NTUSER.DAT names programs through
// %LOCALAPPDATA%, through a variable of its own Environment key, by a plain
// path, by a value name, and one that the fixture's key (in the logged-on
// user's registry) names too; its UsrClass.dat names one by a key's name. The
// second one's NTUSER.DAT is damaged below one key and names a program in its
// sound part. The third one's folder holds no hive file at all.
class OfflineUsers {
public:
    using Record = HostCases::Record;

    void layOut(const ScratchDir& root, const std::string& apps) {
        using namespace ::testing::hive;
        const std::string pid = std::to_string(::GetCurrentProcessId());
        for (const char* rid : {"1001", "1002", "1003"}) {
            sids.push_back("S-1-5-21-3000000000-" + pid + "-" + rid);
        }
        for (const char* name :
             {"Profiles\\offuser", "Profiles\\offbroken", "Profiles\\offgone"}) {
            profiles.push_back(root.makeDir(name));
            profiles.back().pop_back();
        }
        const std::string& profile = profiles[0];
        root.makeDir("Profiles\\offuser\\AppData\\Local\\Programs");
        root.makeDir("Profiles\\offuser\\AppData\\Local\\Microsoft\\Windows");
        root.makeDir("Profiles\\offuser\\Tools");
        copyFile(testing::helperExe("ver_none"),
                 profile + "\\AppData\\Local\\Programs\\offlocal.exe");
        copyFile(testing::helperExe("ver_none"), profile + "\\Tools\\offenv.exe");
        for (const char* name : {"offplain", "offname", "offclass", "offsound"}) {
            copyFile(testing::helperExe("ver_none"), apps + name + ".exe");
        }

        const uint32_t kDword = 4;
        const Bytes one = {1, 0, 0, 0};
        const KeySpec user{
            "ROOT",
            {},
            {{"Environment",
              {{"OFFTOOLS", hive::kTypeExpandSz, szData("%USERPROFILE%\\Tools")}},
              {}},
             {"Installed", {{apps + "offname.exe", kDword, one}}, {}},
             {"Software",
              {},
              {{"Run",
                {{"Local", hive::kTypeExpandSz, szData("%LOCALAPPDATA%\\Programs\\offlocal.exe")},
                 {"Tools", hive::kTypeExpandSz, szData("\"%OFFTOOLS%\\offenv.exe\" -q")},
                 {"Plain", hive::kTypeSz, szData(apps + "offplain.exe")},
                 {"Shared", hive::kTypeSz, szData(apps + "gamma.exe")}},
                {}}}}}};
        writeHive(profile + "\\NTUSER.DAT", user);
        const KeySpec classes{"ROOT", {}, {{"Applications", {}, {{"offclass.exe", {}, {}}}}}};
        writeHive(profile + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat", classes);

        // Below "Broken" a subkey list names a cell past the end of the hive.
        HiveWriter broken;
        const uint32_t lost = broken.key("Broken", true, broken.list("lh", {0x00F00000}), 1, 0, 0);
        const uint32_t sound = writeTree(
            broken, {"Run", {{"Sound", hive::kTypeSz, szData(apps + "offsound.exe")}}, {}});
        broken.setRoot(broken.key("ROOT", true, broken.list("lh", {lost, sound}), 2, 0, 0));
        ::testing::hive::writeFile(profiles[1] + "\\NTUSER.DAT", broken.bytes());

        for (size_t i = 0; i < sids.size(); ++i) {
            entries.push_back(std::make_unique<testing::ProfileListEntry>(sids[i], profiles[i]));
        }

        const std::string local = lowered(profile) + "\\";
        expected = {
            {local + "appdata\\local\\programs\\offlocal.exe", "offlocal"},
            {local + "tools\\offenv.exe", "offenv"},
            {lowered(apps) + "offplain.exe", "offplain"},
            {lowered(apps) + "offname.exe", "offname"},
            {lowered(apps) + "offclass.exe", "offclass"},
            {lowered(apps) + "offsound.exe", "offsound"},
        };
    }

    std::vector<std::string> sids;      // the sound user's, the damaged one's, the gone one's
    std::vector<std::string> profiles;  // their folders, without a trailing separator
    std::vector<Record> expected;

private:
    static void writeHive(const std::string& path, const ::testing::hive::KeySpec& tree) {
        ::testing::hive::HiveWriter writer;
        writer.setRoot(writeTree(writer, tree));
        ::testing::hive::writeFile(path, writer.bytes());
    }

    std::vector<std::unique_ptr<testing::ProfileListEntry>> entries;
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
        offlineUsers.layOut(root, apps);
    }

    // Runs the program (or another build of it) with the command line
    // `arguments`; answers its exit code.
    uint32_t runProgram(const std::string& arguments,
                        const std::string& program = "stocksweep.exe") {
        std::string path;
        readEnvironment("PATH", path);
        const std::string environment =
            testing::environmentBlock({}, {{"VELMAR_ENV", suite.path()},
                                           {"velmar_hostname", kHostName},
                                           {kAppsVariable, apps.substr(0, apps.size() - 1)},
                                           {"PATH", apps.substr(0, apps.size() - 1) + ";" + path}});
        testing::ChildProcess child(testing::testProgramDir() + program, arguments,
                                    environment, root.dir());
        child.readAll();
        return child.wait(kRunLimitMs);
    }

    // The records that a run started at `start` gives for the fixture: its
    // own programs, the host cases and `more`, in the data file's order.
    std::string wantedRecords(int64_t start, const std::vector<HostCases::Record>& more) const {
        DateTime dayStart(static_cast<int32_t>(start));
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
        for (const auto& e : more) wantedNames[e.path] = e.name;
        std::string wanted;
        for (const auto& e : wantedNames) {
            wanted += formatInventoryRecord(dayStart.getSeconds(), host,
                                            CandidateRecord{e.first, e.second});
        }
        return wanted;
    }

    // The records of the data file `file` for programs below the fixture's
    // folder, and for files named "hosts..." anywhere.
    std::string fixtureRecords(const std::string& file) const {
        std::string found;
        std::string replacedDir = lowered(root.path());
        replaceFieldBreakers(replacedDir);
        for (const std::string& record : records(readFile(file))) {
            if (record.find(":0:" + replacedDir) != std::string::npos ||
                record.find(":0:hosts") != std::string::npos) {
                found += record;
            }
        }
        return found;
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
    OfflineUsers offlineUsers;
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

    // Data files not collected yet, of every second that the run can end in:
    // the run's own takes the next free second's name.
    const int64_t start = DateTime().getSeconds();
    const int64_t lastTaken = start + kRunLimitMs / 1000;
    root.makeDir("Log\\temp\\Inventory");
    for (int64_t second = start; second <= lastTaken; ++second) {
        root.makeFile("Log\\temp\\Inventory\\" + inventoryFileName(second), "taken");
    }
    // A temporary data file of a run that never ended.
    root.makeFile("Log\\temp\\Inventory\\inventory.4242.partial", "half a rec");

    // The core service's end of the channel that catalogue messages go to.
    testing::MailslotReader core(testing::MailslotReader::ExactName{}, "Velmar_Core");

    ASSERT_EQ(runProgram("-c \"" + conf + "\""), 0u) << log();

    std::vector<std::string> files = dataFiles(work);
    ASSERT_EQ(files.size(), size_t(lastTaken - start + 2));
    for (int64_t second = start; second <= lastTaken; ++second) {
        EXPECT_EQ(readFile(work + inventoryFileName(second)), "taken") << second;
    }
    files = {inventoryFileName(lastTaken + 1)};
    EXPECT_FALSE(testing::rawExists(work + "inventory.4242.partial"));
    EXPECT_EQ(fixtureRecords(work + files[0]), wantedRecords(start, {}));

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
debug-2  <time> (5.24)    <id>: Loaded 18 messages for module "stocksweep".
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
debug-2  <time> (5.24)    <id>: Removed the temporary data file "inventory.<pid>.partial" of an earlier run.
debug-1  <time> (5.24)    <id>:    Done logging data to disk.
NOTICE   <time> (5.24.06) <id>: Inventory scan ended: <n> record(s) written, data file inventory-<n>.data; <n> registry key(s) walked, <n> Start menu(s) found, <n> s.
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

TEST_F(Stocksweep, RegistriesOfUsersNotLoggedOnAreReadFromTheirHiveFiles) {
    const std::string work = root.path() + "offline\\";
    const std::string conf = configuration.writeConf(
        "offline.conf",
        "stocksweep () = '' {\n  working-dir (DirName) = '" + confPath(work) +
            "' {}\n"
            "  log () = '' { debug-level (Integer) = 2 {} }\n"
            "  scan () = '' { start-menu (Bool) = true {} offline-profiles (Bool) = true {}\n"
            "    registry () = '' { HKEY_CURRENT_USER (Bool) = true {} } } }\n");
    const int64_t start = DateTime().getSeconds();
    ASSERT_EQ(runProgram("-c \"" + conf + "\""), 0u) << log();

    // The users' programs once each, beside the fixture's (gamma.exe, named by
    // both registries, among them).
    const std::vector<std::string> files = dataFiles(work);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fixtureRecords(work + files[0]), wantedRecords(start, offlineUsers.expected));

    // The pass over the profile list, from its first line to the next step's.
    const std::string masked = maskedLog(log(), root.path(), scan.path());
    const std::string first = "Now reading the registries of users who are not logged on...";
    const size_t from = masked.rfind('\n', masked.find(first)) + 1;
    const size_t to = masked.rfind('\n', masked.find("Now logging data to disk...")) + 1;
    ASSERT_LT(from, to) << masked;
    const std::string& user = offlineUsers.sids[0];
    const std::string& broken = offlineUsers.sids[1];
    const std::string& gone = offlineUsers.sids[2];
    const std::string pass =
        "debug-1  <time> (5.24)    <id>: " + first +
        "\n"
        "debug-1  <time> (5.24)    <id>: Now reading the registry of user " +
        user +
        " from \"<root>\\Profiles\\offuser\"...\n"
        "debug-2  <time> (5.24)    <id>: Scanning root key \"HKEY_USERS\"...\n"
        "NOTICE   <time> (5.24.30) <id>: Read the registry hive \"<root>\\Profiles\\offuser\\"
        "NTUSER.DAT\" of user " +
        user +
        " without loading it: 5 keys, 6 values; clean.\n"
        "debug-2  <time> (5.24)    <id>: Scanning root key \"HKEY_USERS\"...\n"
        "NOTICE   <time> (5.24.30) <id>: Read the registry hive \"<root>\\Profiles\\offuser\\"
        "AppData\\Local\\Microsoft\\Windows\\UsrClass.dat\" of user " +
        user +
        " without loading it: 3 keys, 0 values; clean.\n"
        "debug-1  <time> (5.24)    <id>: Now reading the registry of user " +
        broken +
        " from \"<root>\\Profiles\\offbroken\"...\n"
        "debug-2  <time> (5.24)    <id>: Scanning root key \"HKEY_USERS\"...\n"
        "NOTICE   <time> (5.24.30) <id>: Read the registry hive \"<root>\\Profiles\\offbroken\\"
        "NTUSER.DAT\" of user " +
        broken +
        " without loading it: 3 keys, 1 values; clean.\n"
        "WARNING  <time> (5.24.32) <id>: The registry hive \"<root>\\Profiles\\offbroken\\"
        "NTUSER.DAT\" of user " +
        broken + " is damaged: 1 damaged cells were skipped, the rest was scanned.\n"
        // Without an NTUSER.DAT, a warning; without a UsrClass.dat, nothing.
        "debug-1  <time> (5.24)    <id>: Now reading the registry of user " +
        gone + " from \"<root>\\Profiles\\offgone\"...\n"
        "WARNING  <time> (5.24.31) <id>: Cannot read the registry hive \"<root>\\Profiles\\"
        "offgone\\NTUSER.DAT\" of user " +
        gone + " (system error 2); its keys are not scanned.\n";
    EXPECT_EQ(masked.substr(from, to - from), withCrLf(pass));
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

TEST_F(Stocksweep, ARunThatCannotDeliverItsRecordsPublishesNothing) {
    const std::string body =
        "  scan () = '' { start-menu (Bool) = false {} registry () = '' {\n"
        "    HKEY_CURRENT_USER (Bool) = true {} } } }\n";
    const auto confFor = [&](const std::string& name, const std::string& work) {
        return configuration.writeConf(name + ".conf", "stocksweep () = '' {\n  working-dir (DirName) = '" +
                                                           confPath(work) + "' {}\n" + body);
    };
    // Temporary data files in a directory.
    const auto temporaries = [](const std::string& dir) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        UniqueFindHandle find(::FindFirstFileA((dir + "inventory.*.partial").c_str(), &data));
        if (find) {
            do {
                names.push_back(data.cFileName);
            } while (::FindNextFileA(find.get(), &data));
        }
        return names;
    };

    // Ended between two records: the records written stay in the temporary file.
    const std::string halted = root.path() + "halted\\";
    EXPECT_EQ(runProgram("-c \"" + confFor("halted", halted) + "\"", "halting_run.exe"), 3u);
    EXPECT_TRUE(dataFiles(halted).empty());
    const std::vector<std::string> left = temporaries(halted);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(records(readFile(halted + left[0])).size(), 1u);

    // A working directory whose path leaves no room for the file's name.
    std::string unwritable = root.path() + "unwritable";
    unwritable += std::string(245 - unwritable.size() - 1, 'x') + "\\";
    const size_t before = log().size();
    EXPECT_EQ(runProgram("-c \"" + confFor("unwritable", unwritable) + "\""), 1u);
    EXPECT_TRUE(dataFiles(unwritable).empty());
    EXPECT_TRUE(temporaries(unwritable).empty());
    const std::string masked = maskedLog(log().substr(before), root.path(), scan.path());
    const std::string dir = "<root>\\" + unwritable.substr(root.path().size());
    EXPECT_EQ(catalogueLines(masked),
              (std::vector<std::string>{
                  "NOTICE   <time> (5.24.01) <id>: Inventory scan started.\r",
                  "CRITICAL <time> (5.24.13) <id>: Cannot open the inventory data file \"" + dir +
                      "inventory.<pid>.partial\"; no data is written.\r",
                  "NOTICE   <time> (5.24.06) <id>: Inventory scan ended: <n> record(s) written, "
                  "data file none (not delivered); <n> registry key(s) walked, <n> Start menu(s) "
                  "found, <n> s.\r"}))
        << masked;
}

}  // namespace
}  // namespace Velmar
