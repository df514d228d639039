#include "shared/library/ipc/MailSlot.h"

#include "shared/library/common/Exception.h"
#include "shared/library/ipc/IPC.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

using namespace std::string_literals;

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
