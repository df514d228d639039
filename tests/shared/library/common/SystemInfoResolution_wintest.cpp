// The once-only resolution of the suite's directories and module type, each
// source on its own, in a helper process started with a controlled environment
// and working directory (the resolved values live for the whole process).
#include "SystemInfoRules.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

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
    const testing::RunResult run =
        testing::runProgram(exe, machineHive ? "" : "hive=HKEY_CURRENT_USER",
                            testing::environmentBlock(resolutionVariables(), variables),
                            workingDir);
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
// written at their physical place, seen from the 64-bit view: below
// "Wow6432Node" when the helper is a 32-bit process. The key is one for every
// test run in the prefix, so runs take turns through a system-wide mutex.
class SuiteBaseKeys {
public:
    SuiteBaseKeys()
        : turn_(::CreateMutexA(nullptr, FALSE, "StocksweepTest_SuiteBaseKeys")),
          base_(suiteKeyBase(kBuiltFor32Bits)) {
        // An abandoned turn (a crashed run) is ours as well.
        if (!turn_ || ::WaitForSingleObject(turn_.get(), INFINITE) == WAIT_FAILED) {
            throw std::runtime_error("no turn at the suite key");
        }
        for (const char* word : {"Resources", "Client", "Server"}) remove(word);
    }
    ~SuiteBaseKeys() {
        for (const char* word : {"Resources", "Client", "Server"}) remove(word);
        // The base itself only when nothing else lives in it.
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, base_.substr(0, base_.size() - 1).c_str(),
                          KEY_WOW64_64KEY, 0);
        ::ReleaseMutex(turn_.get());
    }
    void set(const std::string& word, const std::string& name, const std::string& value) {
        UniqueHKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (base_ + word).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        if (name.empty()) return;
        ASSERT_EQ(::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }
    const std::string& base() const { return base_; }

private:
    void remove(const std::string& word) {
        testing::deleteKeyTree(HKEY_LOCAL_MACHINE, base_ + word, KEY_WOW64_64KEY);
    }

    UniqueKernelHandle turn_;
    std::string base_;
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

std::string withForwardSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

TEST_F(Resolution, EnvironmentComesBeforeRegistry) {
    const std::string inst = dir.makeDir("inst");
    const std::string conf = dir.makeDir("conf");
    key.setString("", "InstallDir", dir.makeDir("registry-inst"));
    key.setString("", "ConfigurationDir", dir.makeDir("registry-conf"));
    // Slashes, a doubled separator and no trailing separator: folded and completed.
    std::string spelled = withForwardSlashes(conf);
    spelled.insert(spelled.size() - 5, "/");
    spelled.pop_back();
    const Values values = probe({{"VelmarInstallDir", inst},
                                 {"VelmarConfDir", spelled},
                                 {"VelmarModuleType", "COREserver"},
                                 {"VELMAR_ENV", key.path()}},
                                dir.path());
    EXPECT_EQ(values.at("installDir"), inst);
    EXPECT_EQ(values.at("configDir"), conf);
    EXPECT_EQ(values.at("moduleType"), "Server");
    EXPECT_EQ(values.at("programName"), "systeminfo_probe.exe");
    EXPECT_EQ(values.at("programDir"), testing::testProgramDir());
}

TEST_F(Resolution, FirstSetVariableWinsEvenWhenItsPathIsMissing) {
    const std::string conf = dir.makeDir("suite\\conf");
    const Values values = probe({{"VelmarInstallDir", dir.path() + "missing"},
                                 {"velmar_installdir", dir.makeDir("inst")},
                                 {"configdir", conf},
                                 {"VelmarModuleType", "workstation"}},
                                dir.path());
    // Not from the later variable: derived from the configuration directory.
    EXPECT_EQ(values.at("installDir"), dir.path() + "suite\\");
    EXPECT_EQ(values.at("configDir"), conf);
    EXPECT_EQ(values.at("moduleType"), "Client");
}

TEST_F(Resolution, RegistryValuesWhenTheEnvironmentHasNone) {
    const std::string inst = dir.makeDir("inst");
    const std::string serverConf = dir.makeDir("server-conf");
    dir.makeFile("server-conf\\server.conf");
    const std::string clientConf = dir.makeDir("client-conf");
    const std::string exe = helperIn("bin");
    key.setString("", "InstallDir", inst);
    key.setString("", "ConfigurationDir", serverConf);
    Values values = probe({{"VELMAR_ENV", key.path()}}, dir.path(), exe);
    EXPECT_EQ(values.at("installDir"), inst);
    EXPECT_EQ(values.at("configDir"), serverConf);
    EXPECT_EQ(values.at("moduleType"), "Server");

    key.setString("", "ConfigurationDir", clientConf);
    values = probe({{"VELMAR_ENV", key.path()}}, dir.path(), exe);
    EXPECT_EQ(values.at("configDir"), clientConf);
    EXPECT_EQ(values.at("moduleType"), "Client");
}

TEST_F(Resolution, SearchAboveProgramDirectoryBeforeWorkingDirectory) {
    const std::string configuration = dir.makeDir("Suite\\Configuration");
    dir.makeDir("work\\etc");
    const std::string exe = helperIn("Suite\\bin");
    const Values values = probe({}, dir.makeDir("work"), exe);
    EXPECT_EQ(values.at("programDir"), dir.path() + "Suite\\bin\\");
    EXPECT_EQ(values.at("configDir"), configuration.substr(0, configuration.size() - 1));
    EXPECT_EQ(values.at("installDir"), dir.path() + "Suite\\");
    EXPECT_EQ(values.at("moduleType"), "Client");
}

TEST_F(Resolution, SearchAboveWorkingDirectory) {
    dir.makeDir("work\\etc");
    dir.makeFile("work\\etc\\server.conf");
    const std::string exe = helperIn("bin");
    const Values values = probe({}, dir.makeDir("work\\deep\\deeper"), exe);
    EXPECT_EQ(values.at("configDir"), dir.path() + "work\\etc");
    EXPECT_EQ(values.at("installDir"), dir.path() + "work\\");
    // server.conf inside a directory named without a trailing separator.
    EXPECT_EQ(values.at("moduleType"), "Server");
}

TEST_F(Resolution, ConfigurationBelowInstallDirectoryLast) {
    const std::string inst = dir.makeDir("inst");
    dir.makeDir("inst\\Configuration");
    const std::string exe = helperIn("bin");
    const Values values = probe({{"VelmarInstallDir", inst}}, dir.makeDir("cwd"), exe);
    EXPECT_EQ(values.at("installDir"), inst);
    EXPECT_EQ(values.at("configDir"), inst + "Configuration");
}

TEST_F(Resolution, NothingFoundLeavesDirectoriesEmptyAndClient) {
    const std::string exe = helperIn("bin");
    const Values values = probe({}, dir.makeDir("cwd"), exe);
    EXPECT_EQ(values.at("installDir"), "");
    EXPECT_EQ(values.at("configDir"), "");
    EXPECT_EQ(values.at("moduleType"), "Client");
    EXPECT_EQ(values.at("isWow64"), kBuiltFor32Bits ? "1" : "0");
}

TEST_F(Resolution, OnlyServerKeySetsModuleTypeServer) {
    SuiteBaseKeys suite;
    const std::string conf = dir.makeDir("conf");
    suite.set("Server", "ConfigurationDir", conf);
    const Values values = probe({}, dir.makeDir("cwd"), helperIn("bin"), true);
    EXPECT_EQ(values.at("configDir"), conf);
    EXPECT_EQ(values.at("moduleType"), "Server");
    EXPECT_EQ(values.at("suiteKeyPath(Client)"), suite.base() + "Server");
    EXPECT_EQ(values.at("suiteKeyPath()"), suite.base() + "Server");
}

TEST_F(Resolution, DifferentClientAndServerValuesThenClientAgain) {
    SuiteBaseKeys suite;
    suite.set("Client", "InstallDir", "C:\\FromClient\\");
    suite.set("Server", "InstallDir", "C:\\FromServer\\");
    const Values values = probe({}, dir.makeDir("cwd"), helperIn("bin"), true);
    // Unresolvable at first; once the module type is Client, the Client key.
    EXPECT_EQ(values.at("installDir"), "C:\\FromClient\\");
    EXPECT_EQ(values.at("moduleType"), "Client");
    EXPECT_EQ(values.at("suiteKeyPath(Resources)"), suite.base() + "Client");
    EXPECT_EQ(values.at("suiteKeyPath(Server)"), suite.base() + "Server");
}

TEST_F(Resolution, SuiteKeyWordFollowsRecordAndModuleType) {
    SuiteBaseKeys suite;
    suite.set("Server", "", "");
    struct Case {
        Values variables;
        const char* client;
        const char* resources;
    };
    const Case cases[] = {
        {{{"VelmarModuleType", "client"}}, "Resources", "Resources"},
        {{{"VelmarModuleType", "server"}}, "Server", "Server"},
    };
    const std::string exe = helperIn("bin");
    for (const Case& c : cases) {
        const Values values = probe(c.variables, dir.makeDir("cwd"), exe, true);
        EXPECT_EQ(values.at("suiteKeyPath(Client)"), suite.base() + c.client);
        EXPECT_EQ(values.at("suiteKeyPath(Resources)"), suite.base() + c.resources);
        EXPECT_EQ(values.at("suiteKeyPath(Server)"), suite.base() + "Server");
    }
    suite.set("Client", "", "");
    suite.set("Resources", "", "");
    const Values all = probe({{"VelmarModuleType", "server"}}, dir.makeDir("cwd"), exe, true);
    EXPECT_EQ(all.at("suiteKeyPath(Client)"), suite.base() + "Client");
    EXPECT_EQ(all.at("suiteKeyPath(Resources)"), suite.base() + "Resources");
    EXPECT_EQ(all.at("suiteKeyPath()"), suite.base() + "Server");

    // The override names a key of the selected hive.
    const Values overridden = probe({{"VELMAR_ENV", key.path()}}, dir.makeDir("cwd"), exe);
    EXPECT_EQ(overridden.at("suiteKeyPath(Client)"), key.path());
    EXPECT_EQ(overridden.at("suiteKeyPath()"), key.path());
}

}  // namespace
}  // namespace Velmar
