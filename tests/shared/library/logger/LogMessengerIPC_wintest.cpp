#include "shared/library/logger/LogMessengerIPC.h"

#include "shared/library/common/Exception.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/logger/LoggerAgentFile.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/LogRotation.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

using namespace std::string_literals;

// Record fields 5 (time) and 8 (thread) of a mailslot frame replaced by "<t>"
// and "<id>", after checking that they hold now and this thread.
std::string maskFrame(const std::string& frame) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t cut; (cut = frame.find('\x1c', start)) != std::string::npos; start = cut + 1) {
        fields.push_back(frame.substr(start, cut - start));
    }
    if (fields.size() < 8) return frame;
    EXPECT_LE(DateTime().getSeconds() - std::stol(fields[4]), 60);
    EXPECT_EQ(fields[7], std::to_string(::GetCurrentThreadId()));
    fields[4] = "<t>";
    fields[7] = "<id>";
    std::string masked;
    for (const std::string& field : fields) masked += field + '\x1c';
    return masked + frame.substr(start);
}

// A log line of the Stocksweep module's unit, as maskLogTimes shows it;
// `code` is "(5.24)" padded for a debug line.
std::string line(const std::string& severity, const std::string& code, const std::string& text) {
    return severity + " <time> " + code + " " + std::to_string(::GetCurrentThreadId()) + ": " +
           text + "\r\n";
}

// A chain of unit, centre, forwarding messenger and file agent on a scratch
// log file, with the scratch key as the suite key.
class LogForwarding : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
        ::SetEnvironmentVariableA("VELMAR_ENV", key.path().c_str());
        saved = rotationSettings();
        rotationSettings() = RotationSettings();
        resetLogSettingsForTests();
        setThreadIdSource([]() -> uint32_t { return ::GetCurrentThreadId(); });
    }
    void TearDown() override {
        resetLogSettingsForTests();
        rotationSettings() = saved;
        ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
        selectHive("HKEY_LOCAL_MACHINE");
    }
    SmartPointer<LoggerCentre> chainTo(const std::string& endpoint) {
        auto agent = std::make_shared<LoggerAgentFile>();
        agent->setFile(logPath);
        return std::make_shared<LoggerCentre>(5,
                                              std::make_shared<LogMessengerIPC>(agent, endpoint));
    }

    // The whole log file of one unit's life that wrote `lines`.
    std::string loggedWhole(const std::vector<std::string>& lines) const {
        std::string text =
            testing::openNoteMasked(logPath) +
            line("debug-1 ", "(5.24)   ", "LoggerUnit: Created logger for the Stocksweep module.");
        for (const std::string& one : lines) text += one;
        return text +
               line("debug-1 ", "(5.24)   ",
                    "LoggerUnit: Destroyed logger for the Stocksweep module.") +
               testing::closeNoteMasked(logPath, "Quitting Logger Agent");
    }

    RotationSettings saved;
    testing::ScratchKey key{"StocksweepLogForwardTest"};
    testing::ScratchDir dir{"StocksweepLogForward"};
    std::string logPath = dir.path() + "chain.log";
};

TEST_F(LogForwarding, EachCatalogueMessagePassingTheThresholdSendsOneFrame) {
    testing::MailslotReader core("StocksweepCore");
    setSeverityThreshold(1);
    {
        const SmartPointer<LoggerCentre> centre = chainTo(core.name());
        LoggerUnit unit(centre, 24);
        EXPECT_TRUE(unit.notice(1));  // below the threshold: dropped
        EXPECT_TRUE(unit.warning(2));
        EXPECT_TRUE(unit.debug(1, "a debug line"));
        ParamStream params;
        params << "disk" << 90;
        EXPECT_TRUE(unit.error(3, params));
    }
    const std::vector<std::string> frames = core.readAll();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(maskFrame(frames[0]),
              "Velmar\x1bLOGMSG\x1b\x1bVelmar\x1cLOG\x1c"
              "5\x1c"
              "24\x1c<t>\x1c"
              "1\x1c\x1c<id>\x1c"
              "2\x1c\x1b\0"s);
    EXPECT_EQ(maskFrame(frames[1]),
              "Velmar\x1bLOGMSG\x1b\x1bVelmar\x1cLOG\x1c"
              "5\x1c"
              "24\x1c<t>\x1c"
              "2\x1c"
              "sdisk\x1an90\x1a\x1c<id>\x1c"
              "3\x1c\x1b\0"s);
    EXPECT_EQ(testing::maskLogTimes(testing::readFile(logPath)),
              loggedWhole({
                  line("WARNING ", "(5.24.02)", "(Message not found.)"),
                  line("debug-1 ", "(5.24)   ", "a debug line"),
                  line("ERROR   ", "(5.24.03)", "(Message not found.) Parameters: disk  90  "),
              }));
}

TEST_F(LogForwarding, WithoutAReaderTheLineIsStillWrittenAndTheCallSucceeds) {
    testing::MailslotReader unused("StocksweepNoCore");  // only for a unique name
    const std::string absent = unused.name() + "-absent";
    {
        const SmartPointer<LoggerCentre> centre = chainTo(absent);
        LoggerUnit unit(centre, 24);
        EXPECT_TRUE(unit.error(4));
        EXPECT_TRUE(unit.error(4));  // the failed open is tried again, silently
    }
    const std::string failed = line("ERROR   ", "(5.24.04)", "(Message not found.)");
    EXPECT_EQ(testing::maskLogTimes(testing::readFile(logPath)), loggedWhole({failed, failed}));
}

}  // namespace
}  // namespace Velmar
