#include "naming/MappingLoader.h"

#include "naming/ExeFinder.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/config/ConfReader.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/SuiteConfiguration.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Velmar {
namespace {

using namespace testing;

class MappingLoader : public ::testing::Test {
protected:
    std::string mappingFile(const std::string& text) { return conf.writeMapping(text); }
    // The names of the two helpers without version resource and with one.
    std::string names(ExeFinder& finder) {
        return finder.getApplicationName(helperExe("ver_none")) + "|" +
               finder.getApplicationName(helperExe("ver_blanks"));
    }

    LogRecorder log;
    ScratchDir dir{"ssweep-map"};
    const SuiteConfiguration conf{dir, ""};
};

TEST_F(MappingLoader, RulesReachTheResolver) {
    mappingFile(
        "# rules\r\nIgnore\r\n{\r\n  VER_NONE\r\n}\r\nmapalways\n{\nver_blanks = Blanks Suite\n}");
    ExeFinder finder(SmartPointer<LoggerUnit>{});
    loadApplicationMappingsFrom(dir.path(), finder, log.unitLog);
    EXPECT_EQ(log.take(), "D1 Application mappings loaded.\n");
    EXPECT_EQ(names(finder), "!|Blanks Suite");
}

TEST_F(MappingLoader, AnIllegalBraceDiscardsTheFile) {
    mappingFile("# comment\n\nignore\n{\nver_none\n}\n{\nmapalways\n");
    ExeFinder finder(SmartPointer<LoggerUnit>{});
    loadApplicationMappingsFrom(dir.path(), finder, log.unitLog);
    EXPECT_EQ(log.take(), "E" + std::to_string(kModuleStocksweep) + "." +
                              std::to_string(AppMessage::kMappingSyntax) + " 7|" +
                              kIllegalBraceText + "\n");
    EXPECT_EQ(names(finder), "ver_none|Blank Tool");
}

TEST_F(MappingLoader, DirectoryFromTheConfiguration) {
    const std::string confFile = conf.writeConf("stocksweep.conf", "");
    mappingFile("maplast\n{\nver_none = Plain Tool\n}\n");
    RecordingChain confLog;  // the reader's own lines stay apart
    auto reader = std::make_shared<ConfReader>(confLog.centre);
    reader->buildDomTree(confFile);

    ExeFinder finder(SmartPointer<LoggerUnit>{});
    loadApplicationMappings(reader, finder, log.unitLog);
    EXPECT_EQ(log.take(), "D1 Loading application mappings...\nD1 Application mappings loaded.\n");
    EXPECT_EQ(names(finder), "Plain Tool|Blank Tool");

    // No reader, or no file: the resolver keeps its rules.
    loadApplicationMappings(SmartPointer<ConfReader>{}, finder, log.unitLog);
    EXPECT_EQ(log.take(),
              "D1 Loading application mappings...\n"
              "D1 Unable to get configuration dir. Cannot load mappings.\n");
    ::DeleteFileA((dir.path() + "components\\appmapping.conf").c_str());
    loadApplicationMappingsFrom(dir.path(), finder, log.unitLog);
    EXPECT_EQ(log.take(),
              "D1 File \"" + dir.path() +
                  "components/appmapping.conf\" does not exist. Cannot load mappings.\n");
    EXPECT_EQ(names(finder), "Plain Tool|Blank Tool");
}

}  // namespace
}  // namespace Velmar
