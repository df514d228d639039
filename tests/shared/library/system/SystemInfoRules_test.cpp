#include "shared/library/system/SystemInfoRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace Velmar {
namespace {

TEST(ModuleTypeWords, ClientServerCoreserverIgnoringCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"client", "Client"},     {"CLIENT", "Client"},
        {"Client", "Client"},     {"server", "Server"},
        {"COREserver", "Server"}, {"coreServer", "Server"},
        {"workstation", ""},      {"", ""},
        {" client", ""},          {"clients", ""},
        {"core server", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(moduleTypeFromText(c.first), c.second) << c.first;
}

struct FakeEnvironment {
    std::map<std::string, std::string> variables;
    std::vector<std::string> asked;

    EnvironmentReader reader() {
        return [this](const std::string& name, std::string& value) {
            asked.push_back(name);
            auto it = variables.find(name);
            if (it == variables.end()) return false;
            value = it->second;
            return true;
        };
    }
};

PathTest existing(std::set<std::string> paths) {
    return [paths](const std::string& path) { return paths.count(path) > 0; };
}

TEST(DirectoryVariables, ConsultedInOrderUntilTheFirstSetOneWhichDecidesAlone) {
    const std::vector<std::string> install = {"VelmarInstallDir", "velmar_installdir",
                                              "installdir"};
    const std::vector<std::string> config = {
        "VelmarConfDir",           "VelmarConfigDir", "velmar_confdir", "velmar_configdir",
        "velmar_configurationdir", "confdir",         "configdir"};
    struct Case {
        bool config;
        std::map<std::string, std::string> variables;
        std::set<std::string> paths;
        const char* result;
        size_t asked;  // how many of the names, from the first
    };
    const Case cases[] = {
        // Missing first: folded, separator added.
        {false,
         {{"VelmarInstallDir", "C:/Velmar//inst"}},
         {"C:\\Velmar\\inst\\"},
         "C:\\Velmar\\inst\\",
         1},
        // The first one set does not exist: the later, existing one is not consulted.
        {false,
         {{"VelmarInstallDir", "C:\\missing"}, {"velmar_installdir", "C:\\there"}},
         {"C:\\there\\"},
         "",
         1},
        // An empty value counts as set.
        {false, {{"VelmarInstallDir", ""}, {"installdir", "C:\\there"}}, {"C:\\there\\"}, "", 1},
        {false, {{"installdir", "C:\\there\\"}}, {"C:\\there\\"}, "C:\\there\\", 3},
        {false, {}, {}, "", 3},
        {true, {}, {}, "", 7},
        {true, {{"configdir", "C:/Velmar//conf"}}, {"C:\\Velmar\\conf\\"}, "C:\\Velmar\\conf\\", 7},
    };
    for (const Case& c : cases) {
        FakeEnvironment env{c.variables, {}};
        const auto& names = c.config ? configDirVariables() : installDirVariables();
        const auto& order = c.config ? config : install;
        EXPECT_EQ(directoryFromVariables(names, env.reader(), existing(c.paths)), c.result);
        EXPECT_EQ(env.asked, std::vector<std::string>(order.begin(), order.begin() + c.asked));
    }
}

TEST(RegistryDirectoryChoice, ClientAndServerReadingsReconciled) {
    struct Case {
        const char* client;
        const char* server;
        const char* result;
        const char* moduleType;  // after the call; it starts as "unset"
    };
    const Case cases[] = {
        {"C:\\c", "", "C:\\c", "Client"},
        {"", "C:\\s", "C:\\s", "Server"},
        {"C:\\same", "C:\\same", "C:\\same", "unset"},
        {"", "", "", "unset"},
        {"C:\\c", "C:\\s", "", "unset"},
    };
    for (const Case& c : cases) {
        std::string type = "unset";
        EXPECT_EQ(reconcileRegistryDirectory(c.client, c.server, type), c.result);
        EXPECT_EQ(type, c.moduleType);
    }
}

TEST(ConfigDirSearch, NearestConfigurationOrEtcUpwards) {
    struct Case {
        const char* start;
        std::set<std::string> paths;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\Suite\\bin\\", {"C:\\Suite\\Configuration"}, "C:\\Suite\\Configuration"},
        {"C:\\Suite\\bin\\", {"C:\\Suite\\etc", "C:\\Configuration"}, "C:\\Suite\\etc"},
        {"C:\\Suite\\bin\\",
         {"C:\\Suite\\bin\\etc", "C:\\Suite\\bin\\Configuration"},
         "C:\\Suite\\bin\\Configuration"},
        {"C:\\Suite\\bin\\", {"C:\\Configuration"}, "C:\\Configuration"},
        {"C:\\Suite\\bin\\", {"D:\\Configuration"}, ""},
        {"", {"Configuration"}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findConfigDirAbove(c.start, existing(c.paths)), c.result) << c.start;
    }
    std::vector<std::string> tried;
    findConfigDirAbove("C:\\Suite\\bin\\", [&](const std::string& p) {
        tried.push_back(p);
        return false;
    });
    const std::vector<std::string> order = {"C:\\Suite\\bin\\Configuration",
                                            "C:\\Suite\\bin\\etc",
                                            "C:\\Suite\\Configuration",
                                            "C:\\Suite\\etc",
                                            "C:\\Configuration",
                                            "C:\\etc"};
    EXPECT_EQ(tried, order);
}

TEST(ConfigDirDerivations, JoinedWithOneSeparator) {
    EXPECT_EQ(inDirectory("C:\\Suite\\Configuration", "server.conf"),
              "C:\\Suite\\Configuration\\server.conf");
    EXPECT_EQ(inDirectory("C:\\Suite\\conf\\", "server.conf"), "C:\\Suite\\conf\\server.conf");
    EXPECT_EQ(inDirectory("C:/Suite/", "Configuration"), "C:/Suite/Configuration");
    EXPECT_EQ(inDirectory("", "etc"), "etc");

    const std::pair<const char*, const char*> installs[] = {
        {"C:\\Suite\\Configuration", "C:\\Suite\\"},
        {"C:\\Velmar\\conf\\", "C:\\Velmar\\"},
        {"C:/Velmar//conf/", "C:\\Velmar\\"},
        {"C:\\Suite\\etc\\.\\", "C:\\Suite\\"},
    };
    for (const auto& c : installs) EXPECT_EQ(installDirFromConfigDir(c.first), c.second);
}

TEST(SuiteKey, BaseAndWordChoice) {
    EXPECT_EQ(suiteKeyBase(false), "SOFTWARE\\Velmar\\");
    EXPECT_EQ(suiteKeyBase(true), "SOFTWARE\\Wow6432Node\\Velmar\\");

    struct Case {
        SuiteKeyRecord record;
        const char* word;
        const char* moduleType;
        const char* chosen;
        bool moduleTypeAsked;
    };
    const SuiteKeyRecord all{true, true, true};
    const SuiteKeyRecord serverOnly{false, false, true};
    const SuiteKeyRecord none{};
    const Case cases[] = {
        {all, "Client", "Server", "Client", false},
        {all, "Resources", "", "Resources", false},
        {serverOnly, "Client", "Server", "Server", true},
        {serverOnly, "Client", "Client", "Resources", true},
        {serverOnly, "", "", "Resources", true},
        {all, "", "Client", "Client", true},
        {all, "Other", "", "Resources", true},
        {none, "Server", "Server", "Resources", true},
        {all, "client", "", "Resources", true},
    };
    for (const Case& c : cases) {
        bool asked = false;
        const std::string chosen = chooseSuiteWord(c.word, c.record, [&] {
            asked = true;
            return std::string(c.moduleType);
        });
        EXPECT_EQ(chosen, c.chosen) << c.word << "/" << c.moduleType;
        EXPECT_EQ(asked, c.moduleTypeAsked) << c.word << "/" << c.moduleType;
    }
}

}  // namespace
}  // namespace Velmar
