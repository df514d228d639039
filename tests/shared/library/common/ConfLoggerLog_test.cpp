#include "shared/library/common/ConfLoggerLog.h"
#include "shared/library/common/ConfTree.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerUnit.h"

#include "tests/support/ConfLogChain.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

class ConfLoggerLogTest : public ::testing::Test {
protected:
    void SetUp() override { resetLogSettingsForTests(); }
    void TearDown() override { resetLogSettingsForTests(); }
};

// Texts and numbers reach the unit as such, so "%s" and "%i" are filled as
// the logging layer fills them; the level filter applies.
TEST_F(ConfLoggerLogTest, PassesLookupMessagesThroughALoggerUnit) {
    testing::RecordingChain chain;
    {
        LoggerUnit unit(chain.centre, 1);
        ConfLoggerLog log(&unit);
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

}  // namespace
}  // namespace Velmar
