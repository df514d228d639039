#include "shared/library/logger/LogMessengerIPC.h"

#include "shared/library/common/Exception.h"
#include "shared/library/common/SystemInfo.h"
#include "shared/library/common/win32/MailSlot.h"
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

TEST(MailSlotSend, FailuresRaiseTheirIPCExceptionCodes) {
    testing::MailslotReader unused("StocksweepSlotTest");
    struct Case {
        int32_t role;
        std::string name;
        uint32_t code;
    };
    const Case cases[] = {
        {IPC::kReceive, unused.name(), IPCException::IC_NOT_SENDER},
        {IPC::kSendLocal, unused.name() + "-absent", IPCException::IC_CANNOT_SEND},
    };
    for (const Case& c : cases) {
        MailSlot slot(c.role, c.name);
        try {
            slot.send("text");
            ADD_FAILURE() << "no exception for " << c.name;
        } catch (const IPCException& e) {
            EXPECT_EQ(e.code(), c.code);
            if (c.code == IPCException::IC_CANNOT_SEND) {
                // The system's message, without its line end.
                ASSERT_FALSE(e.message().empty());
                EXPECT_GE(static_cast<unsigned char>(e.message().back()), ' ');
            }
        }
        EXPECT_FALSE(slot.isOpen());
    }
    EXPECT_EQ(MailSlot::pathFor(IPC::kSendDomain, "Velmar_Core"), "\\\\*\\mailslot\\Velmar_Core");
}

// A send lock that another process keeps costs the message after a bounded
// wait, never the call: the failure is the send failure of every other cause,
// and the handle stays open for the next message.
TEST(MailSlotSend, ASendLockThatCannotBeHadDropsTheMessage) {
    testing::MailslotReader reader("StocksweepSlotLockTest");
    const std::string lockName = reader.name() + "-lock";
    MailSlot slot(IPC::kSendLocal, reader.name(), lockName);
    {
        testing::ChildProcess holder(testing::testProgramDir() + "monopoly_probe.exe",
                                     "hold " + lockName);
        ASSERT_EQ(holder.readLine(), "held");
        try {
            slot.send("dropped");
            ADD_FAILURE() << "no exception while the lock is held";
        } catch (const IPCException& e) {
            EXPECT_EQ(e.code(), IPCException::IC_CANNOT_SEND);
            EXPECT_EQ(e.message(), "Error 258");
        }
        EXPECT_TRUE(slot.isOpen());
        holder.closeInput();
        EXPECT_EQ(holder.wait(), 0u);
    }
    slot.send("sent");
    EXPECT_EQ(reader.readAll(), std::vector<std::string>{"sent"s + '\0'});
}

}  // namespace
}  // namespace Velmar
