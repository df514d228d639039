#include "shared/library/logger/LogCommons.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(Severity, NamesAreWholeAndCaseSensitive) {
    const struct {
        const char* name;
        int32_t severity;
    } cases[] = {
        {"NOTICE", 0},  {"WARNING", 1}, {"ERROR", 2},  {"CRITICAL", 3}, {"FATAL", 4}, {"NONE", 5},
        {"NOTHING", 5}, {"warning", 6}, {"ERROR ", 6}, {"", 6},         {"NOTIC", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(severityFromName(c.name), c.severity);
    }
    const char* const names[] = {"NOTICE", "WARNING", "ERROR", "CRITICAL", "FATAL"};
    for (int32_t s = 0; s <= 4; ++s) EXPECT_EQ(severityName(s), names[s]);
    for (int32_t s : {-1, 5, 6}) EXPECT_EQ(severityName(s), "");
}

TEST(ModuleTable, KeysToNumbersAndNumbersToNames) {
    const struct {
        const char* key;
        int32_t number;
    } keys[] = {
        {"core", 0},        {"Configuration", 1}, {"logger", 2},    {"LOG", 2},
        {"protocol", 3},    {"time", 4},          {"cron", 5},      {"ipc", 6},
        {"stocksweep", 24}, {"StockSweep", 24},   {"module07", 7},  {"mod07", 7},
        {"module57", 57},   {"module11", 64},     {"module58", 64}, {"", 64},
        {" core", 64},
    };
    for (const auto& c : keys) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(moduleNumber(c.key), c.number);
    }
    const struct {
        int32_t number;
        const char* name;
    } names[] = {
        {0, "Core"},         {1, "Configuration"}, {2, "Logger"},       {3, "Protocol"},
        {4, "Time"},         {5, "Cron"},          {6, "IPC"},          {24, "Stocksweep"},
        {7, "Module 07"},    {57, "Module 57"},    {11, "<<Unknown>>"}, {58, "<<Unknown>>"},
        {64, "<<Unknown>>"}, {-1, "<<Unknown>>"},
    };
    for (const auto& c : names) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(moduleName(c.number), c.name);
    }
    int rows = 0;
    for (int32_t n = 0; n < 64; ++n) rows += moduleName(n) != "<<Unknown>>";
    EXPECT_EQ(rows, 57);
}

TEST(ApplicationTable, RowsOneToFortyNine) {
    EXPECT_EQ(applicationName(1), "Core");
    EXPECT_EQ(applicationName(5), "Stocksweep");
    EXPECT_EQ(applicationName(49), "Application 49");
    for (int32_t n : {0, 50, -5}) EXPECT_EQ(applicationName(n), "<<Unknown>>");
}

TEST(MessageId, TwoDigitModuleAndMessageAndTheDebugForm) {
    EXPECT_EQ(messageId(5, 24, 3), "(5.24.03)");
    EXPECT_EQ(messageId(5, 1, 12), "(5.01.12)");
    EXPECT_EQ(messageId(5, 24, 99999), "(5.24)   ");
    EXPECT_EQ(messageId(12, 0, 0), "(12.00.00)");
    EXPECT_EQ(messageId(5, 24, 123456), "(5.24.123456)");
}

// One module file as read line by line, and what the catalogue holds after it.
TEST(Catalogue, LinesOfAModuleFile) {
    const struct {
        const char* line;
        bool counted;
    } lines[] = {
        {"", false},
        {"// comment 5: skipped", false},
        {"//", false},
        {"/", true},                        // one byte: message 0, empty text
        {" // indented: a message", true},  // no digit: message 0 again, first text stays
        {"3: Cannot read %s.", true},
        {"  7  :   trimmed text \t\r", true},
        {"7: second text for 7", true},
        {"12", true},
        {"-4:negative", true},
        {"+8:plus", true},
        {"5:a:b", true},
        {"\xA0"
         "9\xFF:\xE9high bytes\xA0",
         true},
    };
    LogCommons catalogue;
    int counted = 0;
    for (const auto& l : lines) {
        SCOPED_TRACE(l.line);
        const bool isMessage = catalogue.addMessageLine(24, l.line);
        EXPECT_EQ(isMessage, l.counted);
        counted += isMessage;
    }
    EXPECT_EQ(counted, 10);
    const struct {
        int32_t number;
        const char* text;
    } stored[] = {
        {0, ""},    {3, "Cannot read %s."}, {7, "trimmed text"}, {12, ""}, {-4, "negative"},
        {5, "a:b"}, {9, "high bytes"},      {8, "plus"},
    };
    EXPECT_EQ(catalogue.size(), sizeof stored / sizeof stored[0]);
    for (const auto& s : stored) {
        SCOPED_TRACE(s.number);
        std::string text = "untouched";
        EXPECT_TRUE(catalogue.findMessage(24, s.number, text));
        EXPECT_EQ(text, s.text);
    }
    std::string text = "untouched";
    EXPECT_FALSE(catalogue.findMessage(1, 3, text));
    EXPECT_FALSE(catalogue.findMessage(24, 4, text));
    EXPECT_FALSE(catalogue.findMessage(2, 43, text));  // not message 3 of module 24
    EXPECT_EQ(text, "untouched");
}

}  // namespace
}  // namespace Velmar
