#include "shared/library/config/ConfReader.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRotation.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logsetup/LoggingSetup.h"
#include "shared/library/logger/LoggerAgent.h"
#include "shared/library/logger/LoggerCentre.h"

#include "tests/support/SuiteConfiguration.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

// Keeps the files it is pointed at; writes nothing.
class PathAgent : public LoggerAgent {
public:
    std::string location() const override { return "memory:"; }
    bool isReady() const override { return true; }
    bool write(const std::string&) override { return true; }
    bool setFile(const std::string& path) override {
        paths += path + ";";
        return true;
    }
    std::string paths;
};

std::string forwardSlashes(std::string path) {
    for (char& c : path) c = c == '\\' ? '/' : c;
    return path;
}

TEST(ReconfigureLogging, AppliesEachKeyOrItsFallback) {
    testing::ScratchDir dir("reconf");
    const std::string logDir = forwardSlashes(dir.path()) + "Logs//Sub";
    std::string expectedDir = dir.path() + "logs\\sub\\";
    toLowerCase(expectedDir);

    struct Case {
        std::string conf;
        // Settings before the call.
        uint32_t scheme;
        int32_t threshold;
        int32_t level;
        int32_t sizeBefore;
        // After it.
        std::string files;  // what the agent was pointed at
        int32_t timeMode;
        uint32_t schemeAfter;
        bool initArmed;
        int32_t periodSeconds;
        int32_t sizeMiB;
        int32_t thresholdAfter;
        int32_t levelAfter;
    } cases[] = {
        // Nothing configured: every fallback; the rotation scheme and the size
        // in force stay (a size of 0 would rotate at every line).
        {"", kRotateSize, 3, 4, 7, "", kTimeModeLocal, kRotateSize, false, 0, 7, 0, 0},
        {testing::directoriesEntry({{"log", logDir}}) +
             "log () = '' { time (String) = zulu {} global () = '' {\n"
             "  severity (String) = ERROR {} debug-level (Integer) = 3 {} }\n"
             "  rotation () = '' { scheme (String) = 'time,init' {} time (TimeSpan) = PT1H {}\n"
             "    size (Integer) = 5 {} } }",
         kRotateSize, 0, 5, 7, expectedDir + "app.log;", kTimeModeZulu, kRotateInit | kRotateTime,
         true, 3600, 5, 2, 3},
        // Words with blanks are ignored; an unknown severity name and a debug
        // level out of range leave their settings; an init bit held before arms nothing.
        {"log () = '' { time (String) = Local {} global () = '' {\n"
         "  severity (String) = error {} debug-level (Integer) = 9 {} }\n"
         "  rotation () = '' { scheme (String) = 'init, size' {} } }",
         kRotateInit, 4, 2, 7, "", kTimeModeOther, kRotateInit, false, 0, 7, 4, 2},
    };
    for (const Case& c : cases) {
        resetLogSettingsForTests();
        rotationSettings() = RotationSettings();
        rotationSettings().scheme = c.scheme;
        rotationSettings().initPending = false;
        rotationSettings().sizeMiB = c.sizeBefore;
        setSeverityThreshold(c.threshold);
        setDebugLevel(c.level);

        auto agent = std::make_shared<PathAgent>();
        LogSettings settings;
        settings.fileName = "old\\app.log";
        settings.messenger = std::make_shared<LogMessenger>(agent);
        settings.centre = std::make_shared<LoggerCentre>(5, settings.messenger);
        settings.conf = std::make_shared<ConfReader>(settings.centre);
        settings.conf->buildDomTree(dir.makeFile("log.conf", c.conf));
        setDebugLevel(c.level);  // the reader's own lines passed at whatever level

        EXPECT_TRUE(reconfigureLogging(settings)) << c.conf;
        EXPECT_EQ(agent->paths, c.files) << c.conf;
        EXPECT_EQ(timeMode(), c.timeMode) << c.conf;
        EXPECT_EQ(rotationSettings().scheme, c.schemeAfter) << c.conf;
        EXPECT_EQ(rotationSettings().initPending, c.initArmed) << c.conf;
        EXPECT_EQ(rotationSettings().period.getSeconds(), c.periodSeconds) << c.conf;
        EXPECT_EQ(rotationSettings().sizeMiB, c.sizeMiB) << c.conf;
        EXPECT_EQ(severityThreshold(), c.thresholdAfter) << c.conf;
        EXPECT_EQ(debugLevel(), c.levelAfter) << c.conf;
        if (!c.files.empty()) {
            EXPECT_TRUE(testing::rawExists(expectedDir));
            EXPECT_EQ(settings.logDir + settings.fileName, expectedDir + "app.log");
        }
    }
    LogSettings none;
    EXPECT_FALSE(reconfigureLogging(none));
    resetLogSettingsForTests();
    rotationSettings() = RotationSettings();
}

}  // namespace
}  // namespace Velmar
