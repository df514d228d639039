#include "shared/library/logger/LogMessengerIPC.h"

#include "shared/library/common/Exception.h"
#include "shared/library/common/SystemInfo.h"
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

size_t countOf(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
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
    const std::string log = testing::readFile(logPath);
    EXPECT_EQ(countOf(log, "(5.24.01)"), 0u);
    EXPECT_EQ(countOf(log, "(5.24.02)"), 1u);
    EXPECT_EQ(countOf(log, "(5.24.03)"), 1u);
    EXPECT_EQ(countOf(log, ": a debug line\r\n"), 1u);
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
    EXPECT_EQ(countOf(testing::readFile(logPath), "(5.24.04)"), 2u);
}

}  // namespace
}  // namespace Velmar
