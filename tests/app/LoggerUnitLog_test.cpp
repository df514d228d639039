#include "app/LoggerUnitLog.h"

#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

class UnitLog : public testing::PinnedLogSettings {};

TEST_F(UnitLog, EveryCallReachesTheUnitWithTaggedParameters) {
    auto agent = std::make_shared<testing::CapturingAgent>();
    SmartPointer<LoggerCentre> centre =
        std::make_shared<LoggerCentre>(5, std::make_shared<LogMessenger>(agent));
    setDebugLevel(4);
    LoggerUnit unit(centre, 24);
    LoggerUnitLog adapter(unit);
    AppLog& log = adapter;
    agent->lines.clear();
    EXPECT_EQ(log.debugLevel(), 4);
    log.debug(4, "Scanning key \"%s\\%s\"...", {"HKEY_USERS", "S-1\\Run"});
    log.debug(4, "   Got %i subkey(s).", {uint32_t{4000000000u}});
    log.debug(5, "dropped %s", {"x"});
    log.debug(1, "Now logging data to disk...");
    log.message(kSeverityNotice, 1);
    log.message(kSeverityWarning, 16, {int32_t{-5}});
    log.message(kSeverityError, 14, {"f.data"});
    log.message(kSeverityCritical, 13, {"g.data"});
    log.message(kSeverityFatal, 3, {"stocksweep.scan.registry"});
    const std::string at = " 2025-07-01T11:08:07 (5.24";
    const std::string debug = at + ")    4242: ";
    const std::string tail = ") 4242: (Message not found.)";
    const std::vector<std::string> expected = {
        "debug-4 " + debug + "Scanning key \"HKEY_USERS\\S-1\\Run\"...",
        "debug-4 " + debug + "   Got 4000000000 subkey(s).",
        "debug-1 " + debug + "Now logging data to disk...",
        "NOTICE  " + at + ".01" + tail,
        "WARNING " + at + ".16" + tail + " Parameters: -5  ",
        "ERROR   " + at + ".14" + tail + " Parameters: f.data  ",
        "CRITICAL" + at + ".13" + tail + " Parameters: g.data  ",
        "FATAL   " + at + ".03" + tail + " Parameters: stocksweep.scan.registry  ",
    };
    EXPECT_EQ(agent->lines, expected);
}

}  // namespace
}  // namespace Velmar
