#include "shared/library/config/ConfParser.h"

#include "tests/support/ConfTestSupport.h"
#include "tests/support/RecordingLog.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

using testing::dumpTree;
using testing::RecordingLog;

const char kBuilt[] = "D2 ConfReader: DOM tree built.\n";
const char kConfError[] = "Configuration: Error in conf file. (Code: 1.1)";

struct ParseCase {
    std::string text;
    std::string tree;  // dumpTree of the root
    std::string log;   // everything logged
};

template <size_t N>
void expectParses(const ParseCase (&cases)[N]) {
    for (const ParseCase& c : cases) {
        RecordingLog log;
        std::unique_ptr<DOMNode> root;
        buildTreeFromText(c.text, "f.conf", root, log);
        ASSERT_NE(root, nullptr) << c.text;
        EXPECT_EQ(root->name(), "Root");
        EXPECT_EQ(dumpTree(root.get()), c.tree) << c.text;
        EXPECT_EQ(log.take(), c.log) << c.text;
    }
}

std::string syntaxError(const std::string& line, int lineNumber) {
    return "D1 ConfReader: Missing '" + line + "'.\nE2 f.conf|" + kConfError +
           "\nD1 ConfReader: " + kConfError + ", line " + std::to_string(lineNumber) + ".\n";
}

TEST(ConfParser, BuildsTreesOfEntries) {
    const ParseCase cases[] = {
        {"a (String) = 'x y' {}", "a(String)=x y{}", kBuilt},
        {"a (String) = \"x y\" {}", "a(String)=x y{}", kBuilt},
        {"a\n(\nString\n)\n=\n'x y'\n{\n}\n", "a(String)=x y{}", kBuilt},
        {"a () = '' {}", "a()={}", kBuilt},
        {"a()=v{b(T)=1{c(T)=2{}}d(T)=3{}}e()=4{}", "a()=v{b(T)=1{c(T)=2{}}d(T)=3{}}e()=4{}",
         kBuilt},
        // Same names stay side by side; quoted names and types keep their quotes.
        {"a()=1{} a()=2{} 'q'(\"T\")=3{}", "a()=1{}a()=2{}'q'(\"T\")=3{}", kBuilt},
        // Quoted values hold blanks, delimiters and comment markers; high bytes stay inside quotes.
        {"a(String)=\"a=b // c\"{}", "a(String)=a=b // c{}", kBuilt},
        {"a(S)='x\xE9y'{} b\xE9(S)=v{}", "a(S)=x\xE9y{}b(S)=v{}", kBuilt},
        // Backslashes: doubled in quotes gives one; single unquoted loses the next letter.
        {"d(DirName)=\"C:\\\\dir\"{} e(DirName)=C:\\dir{}",
         "d(DirName)=C:\\dir{}e(DirName)=C:\\ir{}", kBuilt},
        // Any token can be a value, delimiters included; "{" as value needs a block after it.
        {"a()=}{} b()=({}", "a()=}{}b()=({}", kBuilt},
        // An entry cut off before its "{" is dropped; an open block keeps what it read.
        {"a()=1{} b()=2", "a()=1{}", kBuilt},
        {"a()=1{ b()=2{} c()=3{", "a()=1{b()=2{}c()=3{}}", kBuilt},
        {"a()=1{} b(", "a()=1{}", kBuilt},
        // A stray "}" at the top level stops the parse quietly.
        {"a()=1{} } b()=2{}", "a()=1{}", kBuilt},
        {"", "", kBuilt},
    };
    expectParses(cases);
}

TEST(ConfParser, ReportsSyntaxErrorsWithTheLineWhereTheFailingTokenEnds) {
    const ParseCase cases[] = {
        {"a String", "", syntaxError("(", 1)},
        {"a (S x", "", syntaxError(")", 1)},
        {"a (S)\n\nv {}", "", syntaxError("=", 3)},
        {"a (S) {}", "", syntaxError("=", 1)},
        {"a () = { b () = c {} }", "", syntaxError("{", 1)},
        // Comments are names: the word after one lacks its "(".
        {"#note\na () = 1 {}", "", syntaxError("(", 2)},
        {"/* note */ a () = 1 {}", "", syntaxError("(", 1)},
        // A token spanning lines is reported where it ends.
        {"a\n/* one\ntwo\nthree */", "", syntaxError("(", 4)},
        {"a () = 'x\ny' 'z\n\nw'", "", syntaxError("{", 4)},
        // Completed entries stay; the failing one and its enclosing entries go.
        {"a()=1{} b()=2{ c()=3{} d()=4 e", "a()=1{}", syntaxError("{", 1)},
    };
    expectParses(cases);
}

// Nested blocks "x()=v{" repeated, one per line.
std::string nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "x()=v{\n";
    return text;
}

TEST(ConfParser, NestingBeyondTheBoundIsASyntaxErrorOnTheLineOfItsBrace) {
    RecordingLog log;
    std::unique_ptr<DOMNode> root;
    buildTreeFromText(nested(kMaxConfNesting), "f.conf", root, log);
    EXPECT_EQ(log.take(), kBuilt);
    const DOMNode* node = root.get();
    size_t depth = 0;
    while ((node = node->firstChild()) != nullptr) ++depth;
    EXPECT_EQ(depth, kMaxConfNesting);

    // 100,000 levels, far beyond the bound, on the 1 MiB stack of a Windows main thread.
    for (int levels : {static_cast<int>(kMaxConfNesting) + 1, 100000}) {
        buildTreeFromText("a()=1{}\n" + nested(levels), "f.conf", root, log);
        EXPECT_EQ(log.take(), "D1 ConfReader: Blocks nested too deeply.\nE2 f.conf|" +
                                  std::string(kConfError) + "\nD1 ConfReader: " + kConfError +
                                  ", line " + std::to_string(kMaxConfNesting + 2) + ".\n");
        EXPECT_EQ(dumpTree(root.get()), "a()=1{}");
    }
}

TEST(ConfParser, HundredThousandEntriesInOneBlock) {
    std::string text = "b()=1{\n";
    for (int i = 0; i < 100000; ++i)
        text += "e" + std::to_string(i) + " (Integer) = " + std::to_string(i) + " {}\n";
    text += "}\n";
    RecordingLog log;
    std::unique_ptr<DOMNode> root;
    buildTreeFromText(text, "f.conf", root, log);
    EXPECT_EQ(log.take(), kBuilt);
    size_t count = 0;
    const DOMNode* last = nullptr;
    for (const DOMNode* n = root->firstChild()->firstChild(); n; n = n->nextSibling()) {
        ++count;
        last = n;
    }
    EXPECT_EQ(count, 100000u);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->name() + "=" + last->value(), "e99999=99999");
}

}  // namespace
}  // namespace Velmar
