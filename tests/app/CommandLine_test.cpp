#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

// The configuration file a command line selects; "" for the default.
TEST(CommandLine, ConfigFileOptionOnlyAsFirstPair) {
    struct Case {
        const char* commandLine;
        bool taken;
        const char* configFile;
        Options rest;  // what is left after the option is taken
    };
    const Case cases[] = {
        {"", false, "", {}},
        {"-c C:\\conf\\a.conf", true, "C:\\conf\\a.conf", {}},
        {"-cC:\\conf\\a.conf", true, "C:\\conf\\a.conf", {}},
        {"  -c\t\"C:\\My Files\\a b.conf\"", true, "C:\\My Files\\a b.conf", {}},
        {"-c 'D:\\x y\\s.conf' tail", true, "D:\\x y\\s.conf", {{"", "tail"}}},
        {"-x -c C:\\a.conf", false, "", {{"x", ""}, {"c", "C:\\a.conf"}}},
        {"-x1 -c C:\\a.conf", false, "", {{"x", "1"}, {"c", "C:\\a.conf"}}},
        // A plain first word is glued to the program word and lost with it.
        {"word -c C:\\a.conf", true, "C:\\a.conf", {}},
        {"word", false, "", {}},
        {"\"q\" -c C:\\a.conf", false, "", {{"", "q"}, {"c", "C:\\a.conf"}}},
        {"-c", true, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        Options options = parseCommandLine(c.commandLine);
        std::string path = "default";
        const bool taken = takeConfigFileOption(options, path);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(path, c.taken ? c.configFile : "default");
        EXPECT_EQ(options, c.rest);
    }
}

TEST(CommandLine, SplitterTokenRules) {
    struct Case {
        const char* text;
        Options pairs;
    };
    const Case cases[] = {
        {"a b\tc", {{"", "a"}, {"", "b"}, {"", "c"}}},
        {"--long value --flag", {{"long", "value"}, {"flag", ""}}},
        {"--long", {{"long", ""}}},
        {"-a -b", {{"a", ""}, {"b", ""}}},
        {"-ab", {{"a", "b"}}},
        {"ab-cd", {{"", "ab"}, {"c", "d"}}},
        {"x\"y z\"w", {{"", "x"}, {"", "y z"}, {"", "w"}}},
        {"-n 'it''s'", {{"n", "it"}, {"", "s"}}},
        {"-n \"open end", {{"n", "\"open end"}}},
        {"-n '", {{"n", "'"}}},
        {"-", {}},
        {"  \r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(splitArguments(c.text), c.pairs);
    }
}

}  // namespace
}  // namespace Velmar
