#include "shared/library/files/FileUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>

namespace Velmar {
namespace {

struct PathCase {
    std::string in;
    std::string out;
};

// Applies an in-place text function to each input and compares the result.
template <size_t N>
void expectInPlace(void (*change)(std::string&), const PathCase (&cases)[N]) {
    for (const PathCase& c : cases) {
        std::string text = c.in;
        change(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(TrimBlanks, RemovesControlSpaceAndHighBytesAtBothEnds) {
    struct Case {
        std::string in;
        std::string out;
        size_t removed;
    };
    const Case cases[] = {
        {"", "", 0},
        {" ", "", 1},
        {"x", "x", 0},
        {"  a b  ", "a b", 4},
        {"\t\r\nabc\x01", "abc", 4},
        {"abc\xA0", "abc", 1},  // 0xA0 reads as a negative byte: blank
        {"\x80\xFF"
         "abc"
         "\xE9",
         "abc", 3},
        {"\x7F"
         "abc"
         "\x7F",
         "\x7F"
         "abc"
         "\x7F",
         0},  // DEL is 127: no blank
        {std::string("\0a\0", 3), "a", 2},
        {"\xA0\xA0\xA0", "", 3},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(trimBlanks(text), c.removed) << c.in;
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(ToLowerCase, ChangesOnlyAToZ) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string lowered = all;
    toLowerCase(lowered);
    ASSERT_EQ(lowered.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        char expected = (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : static_cast<char>(b);
        EXPECT_EQ(lowered[b], expected) << "byte " << b;
    }
    std::string empty;
    toLowerCase(empty);
    EXPECT_EQ(empty, "");
}

TEST(Unquote, RemovesOnlyMatchingOuterQuotes) {
    const PathCase cases[] = {
        {"", ""},
        {"\"", ""},
        {"'", ""},
        {"\"\"", ""},
        {"\"abc\"", "abc"},
        {"'abc'", "abc"},
        {"'abc\"", "'abc\""},
        {"\"abc", "\"abc"},
        {"abc\"", "abc\""},
        {"\"a\"b\"", "a\"b"},
        {"x", "x"},
    };
    expectInPlace(unquote, cases);
}

TEST(SplitHead, CutsAtFirstSeparator) {
    struct Case {
        std::string in;
        char sep;
        std::string head;
        std::string rest;
    };
    const Case cases[] = {
        {"a.b.c", '.', "a", "b.c"}, {"abc", '.', "abc", ""},          {"", '.', "", ""},
        {".", '.', "", ""},         {".abc", '.', "", "abc"},         {"abc.", '.', "abc", ""},
        {"x", 'x', "", ""},         {"C:\\a\\b", '\\', "C:", "a\\b"},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(splitHead(text, c.sep), c.head) << c.in;
        EXPECT_EQ(text, c.rest) << c.in;
    }
}

TEST(CountChar, CountsWithinClampedRange) {
    const std::string text = "a\nb\nc\n";
    EXPECT_EQ(countChar('\n', text, 0, text.size()), 3u);
    EXPECT_EQ(countChar('\n', text, 0, 3), 1u);
    EXPECT_EQ(countChar('\n', text, 4, 1000), 1u);
    EXPECT_EQ(countChar('\n', text, 0, std::string::npos), 3u);
    EXPECT_EQ(countChar('\n', text, 6, 5) + countChar('\n', text, 100, 5), 0u);
    EXPECT_EQ(countChar('\n', text, 0, 0) + countChar('x', "", 0, 10), 0u);
    EXPECT_EQ(countChar('\xE9',
                        "\xE9"
                        "a\xE9",
                        0, 3),
              2u);
}

TEST(IsPrintableText, AllowsTabLineFeedReturnAndHighBytes) {
    for (const char* text : {"", "abc def", "a\tb\r\nc", "\x80\xA0\xFF\x7F"}) {
        EXPECT_TRUE(isPrintableText(text)) << text;
    }
    for (const char* text : {"a\x01", "\x1F", "\x0B"}) EXPECT_FALSE(isPrintableText(text)) << text;
    EXPECT_FALSE(isPrintableText(std::string("a\0b", 3)));
}

TEST(NormaliseSeparators, FoldsRunsFromSecondCharacter) {
    const PathCase cases[] = {
        {"", ""},
        {"/", "/"},
        {"\\", "\\"},
        {"a", "a"},
        {"//", "/\\"},
        {"//server/share", "/\\server\\share"},
        {"\\\\server\\share", "\\\\server\\share"},
        {"\\\\\\server", "\\\\server"},
        {"C:/a//b", "C:\\a\\b"},
        {"C:\\/\\/a/\\b\\", "C:\\a\\b\\"},
        {"a//", "a\\"},
        {"a/b/c", "a\\b\\c"},
        {"\xE9/\xE9", "\xE9\\\xE9"},
    };
    expectInPlace(normaliseSeparators, cases);
    // A second pass changes nothing.
    expectInPlace(
        +[](std::string& text) {
            normaliseSeparators(text);
            normaliseSeparators(text);
        },
        cases);
}

TEST(EnsureTrailingSeparator, AppendsBackslashUnlessPresent) {
    const PathCase cases[] = {
        {"", ""},     {"a", "a\\"}, {"C:", "C:\\"}, {"C:\\", "C:\\"},
        {"a/", "a/"}, {"\\", "\\"}, {"/", "/"},
    };
    expectInPlace(ensureTrailingSeparator, cases);
}

TEST(ParentDir, IgnoresOneTrailingSeparator) {
    const PathCase cases[] = {
        {"C:\\a\\b\\", "C:\\a\\"},
        {"C:\\a\\b", "C:\\a\\"},
        {"C:\\", ""},
        {"C:", ""},
        {"", ""},
        {"\\", ""},
        {"/", ""},
        {"a", ""},
        {"\\a", "\\"},
        {"a/b", "a/"},
        {"a\\\\", "a\\"},
        {"\\\\server\\share", "\\\\server\\"},
        {"//server/share/", "//server/"},
        {"C:/a\\b", "C:/a\\"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(parentDir(c.in), c.out) << c.in;
}

TEST(PathPieces, DirPartAndFileName) {
    struct Case {
        std::string path;
        std::string dir;
        std::string name;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir\\", "file.txt"},
        {"C:/dir/file", "C:/dir/", "file"},
        {"C:\\dir\\", "C:\\dir\\", ""},
        {"file", "", "file"},
        {"", "", ""},
        {"\\", "\\", ""},
        {"/", "/", ""},
        {"x", "", "x"},
        {"C:file", "", "C:file"},
        {"\\\\server\\share", "\\\\server\\", "share"},
        {"a\\b/c", "a\\b/", "c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dirPart(c.path), c.dir) << c.path;
        EXPECT_EQ(fileName(c.path), c.name) << c.path;
    }
}

TEST(PathPieces, ExtensionAndStripExtension) {
    struct Case {
        std::string path;
        std::string ext;
        std::string stripped;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "txt", "C:\\dir\\file"},
        {"archive.tar.gz", "gz", "archive.tar"},
        {"noext", "", "noext"},
        {"", "", ""},
        {".", "", "."},
        {"x", "", "x"},
        {"name.", "", "name."},
        {".profile", "profile", ""},
        {"C:\\a.d\\file", "", "C:\\a.d\\file"},  // a dot in a directory is no extension
        {"C:/a.d/file.exe", "exe", "C:/a.d/file"},
        {"C:\\a.d\\", "", "C:\\a.d\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extension(c.path), c.ext) << c.path;
        std::string path = c.path;
        EXPECT_EQ(stripExtension(path), c.ext) << c.path;
        EXPECT_EQ(path, c.stripped) << c.path;
    }
}

TEST(CollapseDotSegments, ResolvesDotsAndKeepsTrailingSeparator) {
    const PathCase cases[] = {
        {"", ""},
        {".", ""},
        {"/", "/"},
        {"x", "x"},
        {"C:\\a\\b\\..\\c\\", "C:\\a\\c\\"},
        {"C:/a/./b/../c", "C:\\a\\c"},
        {"C:\\a\\.\\.\\b", "C:\\a\\b"},
        {"a/b/../../c", "c"},
        {"..\\a", "..\\a"},
        {"..\\..\\a\\..\\b", "..\\..\\b"},
        {"a\\..\\..\\b", "..\\b"},
        {"a\\..", ""},
        {"a\\..\\", ""},  // an empty result does not become the root
        {"C:\\Program Files\\..\\Velmar\\etc\\..\\", "C:\\Velmar\\"},
        {"a//b\\\\c", "a\\b\\c"},
    };
    expectInPlace(collapseDotSegments, cases);
}

TEST(CollapseDotSegments, NeverClimbsAboveRoot) {
    const PathCase cases[] = {
        {"C:\\..\\x", "C:\\x"},
        {"C:\\..", "C:\\"},
        {"C:\\..\\..\\", "C:\\"},
        {"C:", "C:"},
        {"C:\\", "C:\\"},
        {"\\..\\x", "\\x"},
        {"/../x/", "/x\\"},
        {"\\\\server\\share\\..", "\\\\server\\share\\"},
        {"\\\\server\\share\\a\\..\\..\\b", "\\\\server\\share\\b"},
        {"//server/share/../x", "/\\server\\share\\x"},
        {"\\\\server", "\\\\server"},
        {"\\\\", "\\\\"},
        {"\\\\.\\pipe\\x\\..", "\\\\.\\pipe\\"},
    };
    expectInPlace(collapseDotSegments, cases);
}

TEST(ReplaceAll, CountsAndContinuesAfterReplacement) {
    struct Case {
        std::string text;
        std::string pattern;
        std::string replacement;
        std::string out;
        size_t count;
    };
    const Case cases[] = {
        {"a.b.c", ".", "\\", "a\\b\\c", 2},
        {"aaa", "a", "aa", "aaaaaa", 3},  // the inserted text is not searched again
        {"aaaa", "aa", "a", "aa", 2},
        {"abc", "x", "y", "abc", 0},
        {"abc", "", "y", "abc", 0},
        {"", "a", "b", "", 0},
        {"abcabc", "abc", "", "", 2},
        {"${x}${x}", "${x}", "${x}${x}", "${x}${x}${x}${x}", 2},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(replaceAll(text, c.pattern, c.replacement), c.count) << c.text;
        EXPECT_EQ(text, c.out) << c.text;
    }
}

TEST(NumberText, IntToText) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0"},
        {-1, "-1"},
        {1234567, "1234567"},
        {std::numeric_limits<int32_t>::max(), "2147483647"},
        {std::numeric_limits<int32_t>::min(), "-2147483648"},
    };
    for (const auto& c : cases) EXPECT_EQ(intToText(c.first), c.second);
}

TEST(NumberText, DoubleToTextTrimsZerosAndCutsFraction) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.5, "-0.5"},
        {1.5, "1.5"},
        {2.0, "2"},
        {0.25, "0.25"},
        {1234567.5, "1234567.5"},
        {-2.0, "-2"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333"},
        {1234567890.0001220703125, "1234567890.00012207"},  // 24 characters cut to 19
        {123456789.25, "123456789.25"},
        {123456789.123, "123456789.122999995"},  // the binary value shows within 19 characters
        {1e-14, "0"},
        {1e17, "100000000000000000"},
        {1e20, "100000000000000000000"},  // never cut inside the integer part
        {-1e20, "-100000000000000000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(doubleToText(c.value), c.text) << c.value;
}

TEST(NumberText, DoubleToTextOfHugeAndNonFiniteValues) {
    std::string huge = doubleToText(1e300);
    EXPECT_EQ(huge.size(), 301u);
    EXPECT_EQ(huge.substr(0, 2), "10");
    EXPECT_EQ(huge.find('.'), std::string::npos);
    EXPECT_EQ(doubleToText(-1e300).size(), 302u);
    EXPECT_EQ(doubleToText(std::numeric_limits<double>::max()).size(), 309u);
    // The runtime's letters stay as they are.
    EXPECT_EQ(doubleToText(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(doubleToText(-std::numeric_limits<double>::infinity()), "-inf");
    std::string nan = doubleToText(std::nan(""));
    EXPECT_NE(nan.find("nan"), std::string::npos) << nan;
}

TEST(NumberText, TrimNumber) {
    const PathCase cases[] = {
        {"1.5000", "1.5"},  {"2.000", "2"},   {"2.", "2"},          {"0.000", "0"},
        {".000", "0"},      {"-0.000", "-0"}, {".", "."},           {"", ""},
        {"100", "100"},  // no ".": the zeros of an integer stay
        {"1e5.0", "1e5.0"}, {"1.0 ", "1.0 "}, {"1.2.300", "1.2.3"}, {"10.0100", "10.01"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(trimNumber(c.in), c.out) << c.in;
}

// A scratch directory of its own for the writer tests, removed at the end.
class TextFileWriters : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        std::ostringstream name;
        name << "stocksweep-fileutils-" << rd() << rd();
        dir_ = std::filesystem::temp_directory_path() / name.str();
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        detail::textFileWrite = &std::fwrite;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

TEST_F(TextFileWriters, WriteCreatesOrEmptiesAndKeepsBytes) {
    const std::string file = path("a.txt");
    const std::string bytes("line\r\nnext\n\0\xFF", 13);
    ASSERT_TRUE(writeTextFile(file, bytes));
    EXPECT_EQ(read(file), bytes);
    ASSERT_TRUE(writeTextFile(file, "short"));
    EXPECT_EQ(read(file), "short");
    ASSERT_TRUE(writeTextFile(file, ""));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(read(file), "");
}

TEST_F(TextFileWriters, AppendAddsToExistingOrCreates) {
    const std::string file = path("log.txt");
    ASSERT_TRUE(appendTextFile(file, "one\n"));
    EXPECT_EQ(read(file), "one\n");
    ASSERT_TRUE(appendTextFile(file, "two\n"));
    ASSERT_TRUE(appendTextFile(file, ""));
    EXPECT_EQ(read(file), "one\ntwo\n");
}

TEST_F(TextFileWriters, UnopenablePathFails) {
    EXPECT_FALSE(writeTextFile(path("missing-dir/a.txt"), "x"));
    EXPECT_FALSE(appendTextFile(path("missing-dir/a.txt"), "x"));
    EXPECT_FALSE(writeTextFile(dir_.string(), "x"));
    EXPECT_FALSE(appendTextFile(dir_.string(), "x"));
    EXPECT_FALSE(std::filesystem::exists(path("missing-dir")));
}

size_t failingWrite(const void*, size_t, size_t count, std::FILE*) { return count / 2; }

TEST_F(TextFileWriters, FailedWriteDeletesNewFileButAppendKeepsOldData) {
    const std::string file = path("b.txt");
    ASSERT_TRUE(writeTextFile(file, "kept"));
    detail::textFileWrite = &failingWrite;
    EXPECT_FALSE(appendTextFile(file, "more"));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(read(file).substr(0, 4), "kept");
    EXPECT_FALSE(writeTextFile(file, "replacement"));
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace Velmar
