#include "shared/library/logger/ParamStream.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(ParamStream, TaggedValuesEachEndedBySeparator) {
    ParamStream params;
    params << "disk" << 90 << std::string() << -7L << 4000000000U << 4294967295UL
           << static_cast<const char*>(nullptr);
    EXPECT_EQ(params.str(),
              "sdisk\x1A"
              "n90\x1A"
              "s\x1A"
              "n-7\x1A"
              "n4000000000\x1A"
              "n4294967295\x1A"
              "s\x1A");
    EXPECT_TRUE(ParamStream().empty());
}

// Host data (registry names, paths) must not forge the separators of the
// parameter stream, the mailslot frame or the record text.
TEST(ParamStream, SeparatorBytesInTextsBecomeBlanks) {
    ParamStream params;
    params << std::string(
                  "a\x1A"
                  "b\x1B"
                  "c\x1C"
                  "d\x1A")
           << 1;
    EXPECT_EQ(params.str(),
              "sa b c d \x1A"
              "n1\x1A");
    std::string text = "x\x1A\x1B\x1Cy";
    blankSeparatorBytes(text);
    EXPECT_EQ(text, "x   y");
}

TEST(SubstituteParameters, PlaceholdersTakeParametersInOrder) {
    const auto content = [](ParamStream p) { return p.str(); };
    const struct {
        const char* format;
        std::string content;
        const char* expected;
    } cases[] = {
        {"Loaded %i messages for module \"%s\".", content(ParamStream() << 3 << "stocksweep"),
         "Loaded 3 messages for module \"stocksweep\"."},
        {"%i then %s", content(ParamStream() << "text" << 5), "\\text\\ then \\5\\"},
        {"%f %d %p %x",
         content(ParamStream() << 1 << 2 << "p"
                               << "x"),
         "1 \\2\\ \\p\\ \\x\\"},
        {"100%% of %s", content(ParamStream() << "disk"), "100% of disk"},
        {"%s and %s and %i", content(ParamStream() << "one"), "one and <?\?\?> and <?\?\?>"},
        {"%s %%", content(ParamStream() << "a"), "a <?\?\?>"},
        {"ends in %", content(ParamStream() << "a"), "ends in <?\?\?>"},
        {"%s",
         content(ParamStream() << "a"
                               << "b"),
         "a"},
        {"no placeholders", content(ParamStream() << "a"), "no placeholders"},
        {"%s|%s|%s",
         std::string("sa\x1A\x1A"
                     "sc",
                     6),
         "a|\\\\|c"},
        {"%s %s",
         std::string("\x1A"
                     "sb\x1A",
                     5),
         "\\\\ b"},
        {"%s", "", "<?\?\?>"},
        {"%x", std::string("\0x\x1A", 3), "\\x\\"},  // no tag, not even 0, matches "%x"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        std::string text = c.format;
        substituteParameters(text, c.content);
        EXPECT_EQ(text, c.expected);
    }
}

}  // namespace
}  // namespace Velmar
