// The files an installation carries (install/, copied next to the tests):
// the default configuration answers every key the program reads, with the
// types it asks for; the catalogue has a text for every message number the
// program and the configuration reader log; the sample mapping file is inert
// as shipped and its examples are valid rules once uncommented.
#include "naming/MappingParser.h"
#include "shared/library/config/ConfReader.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LoggerCentre.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace Velmar {
namespace {

std::string installDir() { return testing::testProgramDir() + "install\\"; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

TEST(Installation, DefaultConfigurationAnswersTheProgramsKeys) {
    ConfReader reader{SmartPointer<LoggerCentre>()};
    reader.buildDomTree(installDir() + "stocksweep.conf");

    std::string text;
    ASSERT_EQ(reader.getDirName("Velmar.directories.conf", text), CR_OK);
    EXPECT_EQ(text, "C:\\Program Files\\Velmar\\Configuration\\");
    // The working directory is left to the default below the install directory.
    EXPECT_EQ(reader.getDirName("stocksweep.working-dir", text), CR_NOT_FOUND);

    int32_t number = -1;
    EXPECT_EQ(reader.getInteger("stocksweep.log.debug-level", number), CR_OK);
    EXPECT_EQ(number, 1);
    bool flag = false;
    EXPECT_EQ(reader.getBool("stocksweep.scan.start-menu", flag), CR_OK);
    EXPECT_TRUE(flag);
    // The registries of users who are not logged on are read.
    flag = false;
    EXPECT_EQ(reader.getBool("stocksweep.scan.offline-profiles", flag), CR_OK);
    EXPECT_TRUE(flag);

    std::vector<std::string> roots;
    ASSERT_EQ(reader.getSubObjects("stocksweep.scan.registry", roots), CR_OK);
    EXPECT_EQ(roots, (std::vector<std::string>{"HKEY_LOCAL_MACHINE", "HKEY_USERS"}));
    for (const std::string& root : roots) {
        flag = false;
        EXPECT_EQ(reader.getBool("stocksweep.scan.registry." + root, flag), CR_OK) << root;
        EXPECT_TRUE(flag) << root;
    }

    // The logging keys, each with the type the set-up asks for.
    EXPECT_EQ(reader.getString("log.time", text), CR_OK);
    EXPECT_EQ(text, "local");
    EXPECT_EQ(reader.getString("log.rotation.scheme", text), CR_OK);
    EXPECT_EQ(text, "size");
    EXPECT_EQ(reader.getString("log.global.severity", text), CR_OK);
    EXPECT_EQ(severityFromName(text), kSeverityNotice);
    EXPECT_EQ(reader.getInteger("log.rotation.size", number), CR_OK);
    EXPECT_EQ(number, 10);
    EXPECT_EQ(reader.getInteger("log.global.debug-level", number), CR_OK);
    TimeSpan period;
    EXPECT_EQ(reader.getTimeSpan("log.rotation.time", period), CR_OK);
    EXPECT_EQ(period.getSeconds(), 7 * 86400);
}

TEST(Installation, CatalogueHasATextForEveryMessageLogged) {
    LogCommons catalogue;
    const LoadResult result = catalogue.loadMessages(installDir(), "stocksweep,configuration");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.loaded.size(), 2u);
    EXPECT_TRUE(result.rejected.empty());

    const struct {
        int32_t module;
        std::vector<int32_t> numbers;
    } logged[] = {
        {kModuleStocksweep, {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 16, 18, 30, 31, 32}},
        {kModuleConfiguration, {1, 2, 3}},
    };
    size_t expected = 0;
    for (const auto& module : logged) {
        for (int32_t number : module.numbers) {
            std::string text;
            EXPECT_TRUE(catalogue.findMessage(module.module, number, text))
                << module.module << "." << number;
            EXPECT_FALSE(text.empty()) << module.module << "." << number;
            ++expected;
        }
    }
    // No message 0 from a stray line, no number the program never logs.
    EXPECT_EQ(catalogue.size(), expected);
}

TEST(Installation, SampleMappingFileIsInertAndItsExamplesAreRules) {
    const std::vector<std::string> sample =
        lines(testing::readFile(installDir() + "components\\appmapping.conf"));
    ApplicationMappings rules;
    int errorLine = 0;
    ASSERT_TRUE(parseMappingLines(sample, rules, errorLine)) << errorLine;
    EXPECT_TRUE(rules.empty());

    // The example lines: "# " followed by a keyword, a brace or an entry.
    std::vector<std::string> examples;
    bool inExamples = false;
    for (const std::string& line : sample) {
        if (line.rfind("# Examples", 0) == 0) inExamples = true;
        if (inExamples && line.rfind("# ", 0) == 0 && line.rfind("# Examples", 0) != 0) {
            examples.push_back(line.substr(2));
        }
    }
    ASSERT_TRUE(parseMappingLines(examples, rules, errorLine)) << errorLine;
    const struct {
        const char* key;
        const char* value;
        MappingKind kind;
    } expected[] = {
        {"notepad", "Notepad", MapMedium},  {"setup", "", Ignore},
        {"tool", "In-house Tool", MapLast}, {"unins000", "", Ignore},
        {"wordpad", "WordPad", MapAlways},
    };
    ASSERT_EQ(rules.size(), std::size(expected));
    auto rule = rules.begin();
    for (const auto& e : expected) {
        EXPECT_EQ(rule->first, e.key);
        EXPECT_EQ(rule->second.value, e.value) << e.key;
        EXPECT_EQ(rule->second.kind, e.kind) << e.key;
        ++rule;
    }
}

}  // namespace
}  // namespace Velmar
