#include "naming/MappingParser.h"

#include <gtest/gtest.h>

#include <sstream>

namespace Velmar {
namespace {

// The table as one text: "key|value|kind" per entry, in key order.
std::string dump(const ApplicationMappings& mappings) {
    std::ostringstream out;
    for (const auto& entry : mappings) {
        out << entry.first << '|' << entry.second.value << '|' << entry.second.kind << '\n';
    }
    return out.str();
}

struct ParseCase {
    const char* what;
    std::vector<std::string> lines;
    std::string table;  // expected dump when the file is valid
    int errorLine;      // 0 when the file is valid
};

TEST(MappingParser, BlocksKindsAndFallThroughs) {
    const ParseCase cases[] = {
        {"every kind, with case, blanks and comments",
         {"# rules", "", "  # indented", "  Ignore ", "{", "  Setup  ", "}", "MapAlways", "{",
          "Foo = Foo Suite", "}", "mapmedium", "{", "med=Medium Tool", "}", "MAPLAST", "{",
          "last =  Last Resort ", "}"},
         "foo|Foo Suite|2\nlast|Last Resort|4\nmed|Medium Tool|3\nsetup||1\n",
         0},
        {"entry lines cut at the first '='",
         {"maplast", "{", "foo=", "=x", "a=b=c", "NoEquals Here", "}"},
         "|x|4\na|b=c|4\nfoo||4\nnoequals here||4\n",
         0},
        {"the first entry for a key wins across blocks",
         {"maplast", "{", "foo = First", "}", "ignore", "{", "FOO", "}", "mapalways", "{",
          "foo = Third", "}"},
         "foo|First|4\n",
         0},
        {"'mapalways {' is no keyword: entries of kind None, '}' only resets",
         {"mapalways {", "bar = Bar", "}", "x"},
         "bar = bar||0\nmapalways {||0\nx||0\n",
         0},
        {"a second keyword replaces the first",
         {"ignore", "mapalways", "{", "foo = Foo", "}"},
         "foo|Foo|2\n",
         0},
        {"'#' after text is no comment; a '{' in a block is an entry",
         {"ignore", "{", "foo # old", "{", "}"},
         "foo # old||1\n{||1\n",
         0},
        {"a file that ends inside a block keeps its entries",
         {"mapmedium", "{", "foo = Foo"},
         "foo|Foo|3\n",
         0},
        {"'}' closes a mapping block only when alone",
         {"maplast", "{", "} x", "}", "y"},
         "y||0\n} x||4\n",
         0},
        {"'{' without keyword: comment and empty lines count", {"# c", "", "{"}, "", 3},
        {"'{' after the '}' that reset the keyword", {"ignore", "{", "a", "}", "{"}, "", 5},
        {"'{' after 'mapalways {'", {"mapalways {", "{"}, "", 2},
        {"'{' after a '}' outside any block", {"maplast", "}", "{"}, "", 3},
    };
    for (const ParseCase& c : cases) {
        ApplicationMappings table{{"stale", {"old", Ignore}}};
        int errorLine = 0;
        bool ok = parseMappingLines(c.lines, table, errorLine);
        EXPECT_EQ(ok, c.errorLine == 0) << c.what;
        if (ok) {
            EXPECT_EQ(dump(table), c.table) << c.what;
        } else {
            EXPECT_EQ(errorLine, c.errorLine) << c.what;
            EXPECT_EQ(dump(table), "stale|old|1\n") << c.what;
        }
    }
}

TEST(MappingParser, RefusesEveryLineAfterAnIllegalBrace) {
    MappingParser parser;
    EXPECT_TRUE(parser.addLine("x"));
    EXPECT_FALSE(parser.addLine("{"));
    EXPECT_FALSE(parser.addLine("ignore"));
    EXPECT_TRUE(parser.failed());
    EXPECT_EQ(parser.lineNumber(), 2);
}

}  // namespace
}  // namespace Velmar
