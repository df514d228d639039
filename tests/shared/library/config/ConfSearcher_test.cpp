#include "shared/library/config/ConfSearcher.h"
#include "shared/library/config/Tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

// All tokens of a text: significant ones as [text], the others as <text>.
std::string tokens(const std::string& text) {
    ConfSearcher searcher;
    Tokenizer tokenizer(&text, &searcher);
    Token token;
    std::string out;
    while (tokenizer.nextToken(token)) {
        out += (token.isSignificant() ? "[" : "<") + token.text() +
               (token.isSignificant() ? "]" : ">");
    }
    EXPECT_EQ(tokenizer.position(), text.size()) << "every byte belongs to a token";
    return out;
}

TEST(ConfSearcher, CutsTextsIntoTokens) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"a (String) = 'x y' {}", "[a]< >[(][String][)]< >[=]< >['x y']< >[{][}]"},
        {"a=b(c)d{e}f\ng", "[a][=][b][(][c][)][d][{][e][}][f][\n][g]"},
        // Blank runs are runs of one and the same byte; CR is an ordinary blank.
        {"  \t\t \r\n", "<  ><\t\t>< ><\r>[\n]"},
        {"a\n\nb", "[a][\n][\n][b]"},
        // 0x80 and up, and NUL, are blank outside quotes.
        {"a\xE9\xE9\xA0"
         "b",
         "[a]<\xE9\xE9><\xA0>[b]"},
        {std::string("a\0\0b", 4), "[a]<" + std::string("\0\0", 2) + ">[b]"},
        // "#" comments run to the line feed, keeping a carriage return; inside a word "#" is plain.
        {"#c (x)\r\ny", "[#c (x)\r][\n][y]"},
        {"a#b #c", "[a#b]< >[#c]"},
        // "//" comments stop before a carriage return that precedes the line feed.
        {"//c x\r\ny", "[//c x]<\r>[\n][y]"},
        {"//\r\n", "[//]<\r>[\n]"},
        {"//c\r", "[//c\r]"},
        {"a//b", "[a][//b]"},
        {"a/*b*/c", "[a][/*b*/][c]"},
        {"/*/ x", "[/*/ x]"},  // "*/" is looked for from the third character
        {"/**/x", "[/**/][x]"},
        {"/* a\n b */ c", "[/* a\n b */]< >[c]"},
        {"a/b a/ /", "[a/b]< >[a/]< >[/]"},  // a single slash is a plain character
        // Quotes: a backslash escapes the next character; a quote inside a word ends it.
        {"'a\\'b'c", "['a\\'b'][c]"},
        {"\"a=b // c\"x", "[\"a=b // c\"][x]"},
        {"'a\"b' \"a'b\"", "['a\"b']< >[\"a'b\"]"},
        {"ab'c'", "[ab]['c']"},
        {"'abc\n{", "['abc\n{]"},  // unterminated: to the end of the text
        {"'ab\\", "['ab\\]"},
        {"'x\xE9 y'", "['x\xE9 y']"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(tokens(c.in), c.out) << c.in;
}

TEST(ConfSearcher, FindTokenEndStopsAtTheLimitAndSkipBlanksStopsAtLineFeeds) {
    ConfSearcher searcher;
    bool significant = false;
    EXPECT_EQ(searcher.findTokenEnd("abcdef", significant, 1, 3), 4u);
    EXPECT_EQ(searcher.findTokenEnd("'abcdef'", significant, 0, 4), 4u);
    EXPECT_EQ(searcher.findTokenEnd("abc", significant, 3, 5), StringSearcher::npos);
    // "/" as the last character before the limit opens no comment.
    EXPECT_EQ(searcher.findTokenEnd("a//b", significant, 0, 2), 2u);

    size_t passed = 99;
    EXPECT_EQ(searcher.skipBlanks(" \t\x90\nx", passed, 0, 10), 3u);
    EXPECT_EQ(passed, 3u);
    EXPECT_EQ(searcher.skipBlanks("a  ", passed, 1, 10), StringSearcher::npos);
    EXPECT_EQ(passed, 2u);
    // A limit inside the text ends the blanks there, not at the text's end.
    EXPECT_EQ(searcher.skipBlanks("a   b", passed, 1, 2), 3u);
    EXPECT_EQ(passed, 2u);
}

}  // namespace
}  // namespace Velmar
