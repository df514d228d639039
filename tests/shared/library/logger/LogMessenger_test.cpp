#include "shared/library/logger/LogMessenger.h"

#include "shared/library/common/Exception.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/ParamStream.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::CapturingAgent;
using testing::kPinnedSeconds;

class LogLine : public testing::PinnedLogSettings {
protected:
    static LogRecord record(uint8_t kind, int32_t level, int32_t message, const std::string& text) {
        LogRecord r;
        r.kind = kind;
        r.application = 5;
        r.module = 24;
        r.time = DateTime(kPinnedSeconds);
        r.severity = level;
        r.debugLevel = level;
        r.messageNumber = message;
        r.text = text;
        r.threadId = 1234;
        return r;
    }

    std::vector<std::string> sendAll(const std::vector<LogRecord>& records) {
        auto agent = std::make_shared<CapturingAgent>();
        LogMessenger messenger(agent);
        for (const LogRecord& r : records) EXPECT_TRUE(messenger.send(recordToText(r)));
        return agent->lines;
    }
};

TEST_F(LogLine, LevelWordTimeIdThreadAndBody) {
    const struct {
        LogRecord record;
        bool found;
        const char* line;
    } cases[] = {
        // The level word of a catalogue message is its severity name; the
        // other forms are shown through the logger unit's whole lines.
        {record(LogRecord::kCatalogue, 0, 1, "Disk full."), true,
         "NOTICE   2025-07-01T11:08:07 (5.24.01) 1234: Disk full."},
        {record(LogRecord::kCatalogue, 3, 12, "x"), true,
         "CRITICAL 2025-07-01T11:08:07 (5.24.12) 1234: x"},
        // A text that arrived from elsewhere may end a value with 0x1B as well.
        {record(LogRecord::kCatalogue, 1, 5,
                "sdisk\x1B"
                "n90\x1A"),
         false,
         "WARNING  2025-07-01T11:08:07 (5.24.05) 1234: (Message not found.) "
         "Parameters: disk  90  "},
        {record(LogRecord::kCatalogue, 9, 100, ""), false,
         "         2025-07-01T11:08:07 (5.24.100) 1234: (Message not found.)"},
        {record(LogRecord::kDebug, 123, 99999, ""), false,
         "debug-123 2025-07-01T11:08:07 (5.24)    1234: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(LogMessenger::formatLogLine(c.record, c.found), c.line);
    }
}

TEST_F(LogLine, SendFillsCatalogueTextsIn) {
    LogCommons messages;
    messages.insert(24, 3, "Cannot read key \"%s\" (%i).");
    messages.insert(24, 99999, "never the text of a debug line");
    const std::vector<LogRecord> records = {
        record(LogRecord::kCatalogue, 2, 3,
               (ParamStream() << "Velmar.directories.conf" << 2).str()),
        record(LogRecord::kCatalogue, 2, 4, (ParamStream() << "x").str()),
        record(LogRecord::kDebug, 1, 3, "debug text %s"),
    };
    setCatalogue(&messages);
    const std::vector<std::string> lines = sendAll(records);
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0],
              "ERROR    2025-07-01T11:08:07 (5.24.03) 1234: "
              "Cannot read key \"Velmar.directories.conf\" (2).");
    EXPECT_EQ(lines[1],
              "ERROR    2025-07-01T11:08:07 (5.24.04) 1234: (Message not found.) "
              "Parameters: x  ");
    EXPECT_EQ(lines[2], "debug-1  2025-07-01T11:08:07 (5.24)    1234: debug text %s");
}

TEST_F(LogLine, RefusedTextOrNoAgentIsNotDelivered) {
    auto agent = std::make_shared<CapturingAgent>();
    LogMessenger messenger(agent);
    EXPECT_FALSE(
        messenger.send("Velmar\x1C"
                       "log\x1C"));
    EXPECT_TRUE(agent->lines.empty());
    agent->result = false;
    EXPECT_FALSE(messenger.send(recordToText(record(LogRecord::kDebug, 1, 0, "x"))));

    LogMessenger withoutAgent(nullptr);
    EXPECT_FALSE(withoutAgent.send(recordToText(record(LogRecord::kDebug, 1, 0, "x"))));
    EXPECT_FALSE(withoutAgent.setFile("x.log"));
    EXPECT_FALSE(messenger.setFile("x.log"));  // an agent without a file refuses
}

TEST_F(LogLine, TimeExceptionIsWrittenInPlaceOfTheLine) {
    auto agent = std::make_shared<CapturingAgent>();
    bool thrown = false;
    agent->beforeWrite = [&thrown](const std::string&) {
        if (!thrown) {
            thrown = true;
            throw TimeException(TimeException::TM_DATETIME);
        }
    };
    LogMessenger messenger(agent);
    EXPECT_TRUE(messenger.send(recordToText(record(LogRecord::kDebug, 1, 0, "x"))));
    ASSERT_EQ(agent->lines.size(), 1U);
    EXPECT_EQ(agent->lines[0], TimeException(TimeException::TM_DATETIME).text());

    agent->beforeWrite = [](const std::string&) { throw FileException(FileException::FL_WRITE); };
    EXPECT_THROW(messenger.send(recordToText(record(LogRecord::kDebug, 1, 0, "x"))), FileException);
}

}  // namespace
}  // namespace Velmar
