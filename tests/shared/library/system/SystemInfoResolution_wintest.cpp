// The once-only resolution of the suite's directories and module type, each
// source on its own, in a helper process started with a controlled environment
// and working directory (the resolved values live for the whole process).
#include "shared/library/system/SystemInfoRules.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>

namespace Velmar {
namespace {

using testing::ScratchDir;
using testing::ScratchKey;

constexpr bool kBuiltFor32Bits = sizeof(void*) == 4;

// Every variable that the resolution reads, removed from the helper's environment
// unless a test sets it.
std::vector<std::string> resolutionVariables() {
    std::vector<std::string> names = installDirVariables();
    for (const std::string& name : configDirVariables()) names.push_back(name);
    names.push_back("VelmarModuleType");
    names.push_back("VELMAR_ENV");
    return names;
}

using Values = std::map<std::string, std::string>;

// Runs the helper (the one next to the tests unless `exe` is given) with only
// `variables` of the resolution's variables set and answers the values it
// printed. Unless `machineHive`, the hive HKEY_CURRENT_USER is selected first,
// where the suite's real key base does not exist.
Values probe(const Values& variables, const std::string& workingDir,
             const std::string& exe = testing::testProgramDir() + "systeminfo_probe.exe",
             bool machineHive = false) {
    const testing::RunResult run = testing::runProgram(
        exe, machineHive ? "" : "hive=HKEY_CURRENT_USER",
        testing::environmentBlock(resolutionVariables(), variables), workingDir);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    Values values;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

// The suite's real key base in HKEY_LOCAL_MACHINE of the prefix: the word keys
// made here are removed at the end (leftovers of a crashed run first). They are
// written at their physical place, seen from the 64-bit view: in the 32-bit
// view, below "Wow6432Node", where both builds keep the suite key. The key is
// one for every test run in the prefix, so runs take turns through a
// system-wide mutex.
class SuiteBaseKeys {
public:
    SuiteBaseKeys()
        : turn_(::CreateMutexA(nullptr, FALSE, "StocksweepTest_SuiteBaseKeys")),
          base_(suiteKeyBase(kBuiltFor32Bits)),
          physical_(suiteKeyBase(true)) {
        // An abandoned turn (a crashed run) is ours as well.
        if (!turn_ || ::WaitForSingleObject(turn_.get(), INFINITE) == WAIT_FAILED) {
            throw std::runtime_error("no turn at the suite key");
        }
        for (const char* word : {"Resources", "Client", "Server"}) remove(word);
    }
    ~SuiteBaseKeys() {
        for (const char* word : {"Resources", "Client", "Server"}) remove(word);
        // The base itself only when nothing else lives in it.
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, physical_.substr(0, physical_.size() - 1).c_str(),
                          KEY_WOW64_64KEY, 0);
        ::ReleaseMutex(turn_.get());
    }
    void set(const std::string& word, const std::string& name, const std::string& value) {
        UniqueHKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (physical_ + word).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        if (name.empty()) return;
        ASSERT_EQ(::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }
    // The base as the helper names it.
    const std::string& base() const { return base_; }

private:
    void remove(const std::string& word) {
        testing::deleteKeyTree(HKEY_LOCAL_MACHINE, physical_ + word, KEY_WOW64_64KEY);
    }

    UniqueKernelHandle turn_;
    std::string base_;
    std::string physical_;
};

class Resolution : public ::testing::Test {
protected:
    // A copy of the helper inside the scratch tree, so that the search above the
    // program's directory stays inside it.
    std::string helperIn(const std::string& relativeDir) {
        const std::string exe = dir.makeDir(relativeDir) + "systeminfo_probe.exe";
        EXPECT_TRUE(::CopyFileA((testing::testProgramDir() + "systeminfo_probe.exe").c_str(),
                                exe.c_str(), FALSE));
        return exe;
    }

    ScratchDir dir{"StocksweepResolution"};
    ScratchKey key{"StocksweepResolutionKey"};
};

// Each expected value against the one the helper printed.
void expectValues(const Values& printed, const Values& expected) {
    for (const auto& e : expected) EXPECT_EQ(printed.at(e.first), e.second) << e.first;
}

TEST_F(Resolution, EnvironmentComesBeforeRegistry) {
    const std::string inst = dir.makeDir("inst");
    const std::string conf = dir.makeDir("conf");
    key.setString("", "InstallDir", dir.makeDir("registry-inst"));
    key.setString("", "ConfigurationDir", dir.makeDir("registry-conf"));
    // Slashes, a doubled separator and no trailing separator: folded and completed.
    std::string spelled = conf;
    std::replace(spelled.begin(), spelled.end(), '\\', '/');
    spelled.insert(spelled.size() - 5, "/");
    spelled.pop_back();
    const Values values = probe({{"VelmarInstallDir", inst},
                                 {"VelmarConfDir", spelled},
                                 {"VelmarModuleType", "COREserver"},
                                 {"VELMAR_ENV", key.path()}},
                                dir.path());
    expectValues(values, {{"installDir", inst},
                          {"configDir", conf},
                          {"moduleType", "Server"},
                          {"programName", "systeminfo_probe.exe"},
                          {"programDir", testing::testProgramDir()}});
}

TEST_F(Resolution, FirstSetVariableWinsEvenWhenItsPathIsMissing) {
    const std::string conf = dir.makeDir("suite\\conf");
    const Values values = probe({{"VelmarInstallDir", dir.path() + "missing"},
                                 {"velmar_installdir", dir.makeDir("inst")},
                                 {"configdir", conf},
                                 {"VelmarModuleType", "workstation"}},
                                dir.path());
    // Not from the later variable: derived from the configuration directory.
    expectValues(
        values,
        {{"installDir", dir.path() + "suite\\"}, {"configDir", conf}, {"moduleType", "Client"}});
}

TEST_F(Resolution, RegistryValuesWhenTheEnvironmentHasNone) {
    const std::string inst = dir.makeDir("inst");
    const std::string serverConf = dir.makeDir("server-conf");
    dir.makeFile("server-conf\\server.conf");
    const std::string clientConf = dir.makeDir("client-conf");
    const std::string exe = helperIn("bin");
    key.setString("", "InstallDir", inst);
    key.setString("", "ConfigurationDir", serverConf);
    expectValues(probe({{"VELMAR_ENV", key.path()}}, dir.path(), exe),
                 {{"installDir", inst}, {"configDir", serverConf}, {"moduleType", "Server"}});

    key.setString("", "ConfigurationDir", clientConf);
    expectValues(probe({{"VELMAR_ENV", key.path()}}, dir.path(), exe),
                 {{"configDir", clientConf}, {"moduleType", "Client"}});
}

TEST_F(Resolution, SearchAboveProgramDirectoryBeforeWorkingDirectory) {
    const std::string configuration = dir.makeDir("Suite\\Configuration");
    dir.makeDir("work\\etc");
    const std::string exe = helperIn("Suite\\bin");
    expectValues(probe({}, dir.makeDir("work"), exe),
                 {{"programDir", dir.path() + "Suite\\bin\\"},
                  {"configDir", configuration.substr(0, configuration.size() - 1)},
                  {"installDir", dir.path() + "Suite\\"},
                  {"moduleType", "Client"}});
}

TEST_F(Resolution, SearchAboveWorkingDirectory) {
    dir.makeDir("work\\etc");
    dir.makeFile("work\\etc\\server.conf");
    const std::string exe = helperIn("bin");
    // server.conf inside a directory named without a trailing separator: Server.
    expectValues(probe({}, dir.makeDir("work\\deep\\deeper"), exe),
                 {{"configDir", dir.path() + "work\\etc"},
                  {"installDir", dir.path() + "work\\"},
                  {"moduleType", "Server"}});
}

TEST_F(Resolution, ConfigurationBelowInstallDirectoryLast) {
    const std::string inst = dir.makeDir("inst");
    dir.makeDir("inst\\Configuration");
    const std::string exe = helperIn("bin");
    expectValues(probe({{"VelmarInstallDir", inst}}, dir.makeDir("cwd"), exe),
                 {{"installDir", inst}, {"configDir", inst + "Configuration"}});
}

TEST_F(Resolution, NothingFoundLeavesDirectoriesEmptyAndClient) {
    const std::string exe = helperIn("bin");
    expectValues(probe({}, dir.makeDir("cwd"), exe), {{"installDir", ""},
                                                      {"configDir", ""},
                                                      {"moduleType", "Client"},
                                                      {"isWow64", kBuiltFor32Bits ? "1" : "0"}});
}

TEST_F(Resolution, OnlyServerKeySetsModuleTypeServer) {
    SuiteBaseKeys suite;
    const std::string conf = dir.makeDir("conf");
    suite.set("Server", "ConfigurationDir", conf);
    expectValues(probe({}, dir.makeDir("cwd"), helperIn("bin"), true),
                 {{"configDir", conf},
                  {"moduleType", "Server"},
                  {"suiteKeyPath(Client)", suite.base() + "Server"},
                  {"suiteKeyPath()", suite.base() + "Server"}});
}

TEST_F(Resolution, DifferentClientAndServerValuesThenClientAgain) {
    SuiteBaseKeys suite;
    suite.set("Client", "InstallDir", "C:\\FromClient\\");
    suite.set("Server", "InstallDir", "C:\\FromServer\\");
    // Unresolvable at first; once the module type is Client, the Client key.
    expectValues(probe({}, dir.makeDir("cwd"), helperIn("bin"), true),
                 {{"installDir", "C:\\FromClient\\"},
                  {"moduleType", "Client"},
                  {"suiteKeyPath(Resources)", suite.base() + "Client"},
                  {"suiteKeyPath(Server)", suite.base() + "Server"}});
}

TEST_F(Resolution, SuiteKeyWordFollowsRecordAndModuleType) {
    SuiteBaseKeys suite;
    suite.set("Server", "", "");
    const std::string exe = helperIn("bin");
    const std::string base = suite.base();
    // Only the Server key: the client words fall back to Resources for a
    // client, to the Server key for a server.
    const std::pair<const char*, const char*> onlyServer[] = {{"client", "Resources"},
                                                              {"server", "Server"}};
    for (const auto& c : onlyServer) {
        expectValues(probe({{"VelmarModuleType", c.first}}, dir.makeDir("cwd"), exe, true),
                     {{"suiteKeyPath(Client)", base + c.second},
                      {"suiteKeyPath(Resources)", base + c.second},
                      {"suiteKeyPath(Server)", base + "Server"}});
    }
    suite.set("Client", "", "");
    suite.set("Resources", "", "");
    expectValues(probe({{"VelmarModuleType", "server"}}, dir.makeDir("cwd"), exe, true),
                 {{"suiteKeyPath(Client)", base + "Client"},
                  {"suiteKeyPath(Resources)", base + "Resources"},
                  {"suiteKeyPath()", base + "Server"}});

    // The override names a key of the selected hive.
    expectValues(probe({{"VELMAR_ENV", key.path()}}, dir.makeDir("cwd"), exe),
                 {{"suiteKeyPath(Client)", key.path()}, {"suiteKeyPath()", key.path()}});
}

}  // namespace
}  // namespace Velmar
