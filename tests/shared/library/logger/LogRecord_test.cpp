#include "shared/library/logger/LogRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

LogRecord catalogueRecord() {
    LogRecord r;
    r.kind = LogRecord::kCatalogue;
    r.application = 5;
    r.module = 24;
    r.time = DateTime(1751360887);
    r.timeMode = 2;
    r.severity = 3;
    r.debugLevel = 4;  // not carried by a catalogue record
    r.messageNumber = 12;
    r.text =
        "sdisk\x1A"
        "n90\x1A";
    r.threadId = 4000000000U;
    return r;
}

TEST(RecordText, FieldsEachFollowedBySeparator) {
    EXPECT_EQ(recordToText(catalogueRecord()),
              "Velmar\x1C"
              "LOG\x1C"
              "5\x1C"
              "24\x1C"
              "1751360887\x1C"
              "3\x1C"
              "sdisk\x1A"
              "n90\x1A\x1C"
              "4000000000\x1C"
              "12\x1C");
    LogRecord debug = catalogueRecord();
    debug.kind = LogRecord::kDebug;
    debug.text = "Loading";
    debug.time = DateTime(-5);
    EXPECT_EQ(recordToText(debug),
              "Velmar\x1C"
              "DEBUG\x1C"
              "5\x1C"
              "24\x1C"
              "-5\x1C"
              "4\x1C"
              "Loading\x1C"
              "4000000000\x1C");
}

TEST(RecordText, ReadsBackByKind) {
    LogRecord read;
    ASSERT_TRUE(recordFromText(recordToText(catalogueRecord()), read));
    EXPECT_EQ(recordToText(read), recordToText(catalogueRecord()));
    EXPECT_EQ(read.timeMode, 0);  // not carried
    EXPECT_EQ(read.debugLevel, 0);
    LogRecord debug = catalogueRecord();
    debug.kind = LogRecord::kDebug;
    ASSERT_TRUE(recordFromText(recordToText(debug), read));
    EXPECT_EQ(read.debugLevel, 4);
    EXPECT_EQ(read.severity, 0);
    EXPECT_EQ(read.messageNumber, 99999);
}

TEST(RecordText, NumbersAreLeadingIntegersAndMissingFieldsEmpty) {
    LogRecord read;
    ASSERT_TRUE(
        recordFromText("Velmar\x1C"
                       "LOG\x1C"
                       " 7x\x1C"
                       "\x1C"
                       "99999999999\x1C"
                       "-2\x1C"
                       "t\x1C"
                       "-1",
                       read));
    EXPECT_EQ(read.application, 7);
    EXPECT_EQ(read.module, 0);
    EXPECT_EQ(read.time.getSeconds(), 2147483647);
    EXPECT_EQ(read.severity, -2);
    EXPECT_EQ(read.text, "t");
    EXPECT_EQ(read.threadId, 0U);
    EXPECT_EQ(read.messageNumber, 0);
}

TEST(RecordText, RefusedUnlessMarkAndKindAreExact) {
    const char* const refused[] = {
        "",
        "Velmar",
        "velmar\x1C"
        "LOG\x1C",
        "Velmar\x1C"
        "log\x1C"
        "1\x1C",
        "Velmar \x1C"
        "LOG\x1C",
        "Velmar\x1C"
        "DEBUG \x1C",
        "Velmar\x1C"
        "LOGX\x1C",
        "VelmarLOG\x1C",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        LogRecord record = catalogueRecord();
        EXPECT_FALSE(recordFromText(text, record));
        EXPECT_EQ(record.text, catalogueRecord().text);
    }
    LogRecord record;
    EXPECT_TRUE(
        recordFromText("Velmar\x1C"
                       "LOG",
                       record));
}

TEST(RecordText, IsDebugTextLooksAtBytesSevenToEleven) {
    EXPECT_TRUE(
        isDebugText("Velmar\x1C"
                    "DEBUG\x1C"));
    EXPECT_TRUE(isDebugText("xxxxxxxDEBUG"));
    EXPECT_FALSE(
        isDebugText("Velmar\x1C"
                    "DEBU"));
    EXPECT_FALSE(
        isDebugText("Velmar\x1C"
                    "LOG\x1C"
                    "DEBUG"));
    EXPECT_FALSE(isDebugText(""));
}

}  // namespace
}  // namespace Velmar
