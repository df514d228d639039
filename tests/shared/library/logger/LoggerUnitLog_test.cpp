#include "shared/library/logger/LoggerUnitLog.h"

#include "shared/library/config/ConfTree.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"
#include "tests/support/RecordingChain.h"
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
    LoggerUnit unit(centre, kModuleStocksweep);
    LoggerUnitLog adapter(&unit);
    Log& log = adapter;
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

// Texts and numbers reach the unit as such, so "%s" and "%i" are filled as
// the logging layer fills them; the level filter applies.
TEST_F(UnitLog, PassesLookupMessagesOfTheConfigurationThroughAUnit) {
    testing::RecordingChain chain;
    {
        LoggerUnit unit(chain.centre, 1);
        LoggerUnitLog log(&unit);
        ConfTree tree(log);
        tree.build("a (String) = '${b' { c () = '' {} } s (Integer) = 1 {}", "x.conf");
        std::string out;
        std::vector<std::string> names;
        tree.getString("a", out);
        tree.getSubObjects("a", names);
        setDebugLevel(1);
        tree.getBool("s", *std::make_unique<bool>());
        tree.getSubObjects("a", names);
        tree.build("a b", "y.conf");
    }
    EXPECT_EQ(chain.messenger->take(),
              "D1 LoggerUnit: Created logger for the Configuration module.\n"
              "D2 ConfReader: DOM tree built.\n"
              "D5 ConfReader: Getting String a...\n"
              "D5 ConfReader: Got raw value \"${b\".\n"
              "E1.3 a\n"
              "D5 ConfReader: Getting sub-objects of \"a\".\n"
              "D5 ConfReader: Found 1 sub-objects.\n"
              "D1 ConfReader: Found, but type is \"Integer\", not \"Bool\".\n"
              "D1 ConfReader: Missing '('.\n"
              "E1.2 y.conf|Configuration: Error in conf file. (Code: 1.1)\n"
              "D1 ConfReader: Configuration: Error in conf file. (Code: 1.1), line 1.\n"
              "D1 LoggerUnit: Destroyed logger for the Configuration module.\n");
}

// Over a handle, nothing is written while it is empty, and what comes once it
// holds a unit reaches that unit.
TEST_F(UnitLog, FollowsAHandleThatMayBeEmpty) {
    testing::RecordingChain chain;
    SmartPointer<LoggerUnit> handle;
    LoggerUnitLog log(handle);
    log.debug(1, "before %s", {"x"});
    log.message(kSeverityError, 14, {"f.data"});
    handle = std::make_shared<LoggerUnit>(chain.centre, kModuleStocksweep);
    log.debug(1, "during %s", {"y"});
    log.message(kSeverityError, 14, {"g.data"});
    handle.reset();
    log.debug(1, "after");
    EXPECT_EQ(chain.messenger->take(),
              "D1 LoggerUnit: Created logger for the Stocksweep module.\n"
              "D1 during y\n"
              "E24.14 g.data\n"
              "D1 LoggerUnit: Destroyed logger for the Stocksweep module.\n");
}

}  // namespace
}  // namespace Velmar
