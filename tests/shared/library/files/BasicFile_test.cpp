#include "shared/library/files/BasicFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Velmar {
namespace {

namespace fs = std::filesystem;

// A directory of its own under the system's temporary directory, removed at the end.
class BasicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = fs::temp_directory_path() / ("stocksweep-basicfile-" + std::to_string(stamp));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string pathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::string make(const std::string& name, const std::string& bytes) const {
        std::ofstream out(dir_ / name, std::ios::binary);
        out << bytes;
        return pathOf(name);
    }

    std::string contents(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

TEST_F(BasicFileTest, OpenReportsEachFailureByItsNumber) {
    const std::string existing = make("a.txt", "abc");
    BasicFile f;
    EXPECT_TRUE(f.open(existing, BasicFile::kClosed));
    EXPECT_FALSE(f.isOpen());

    struct Case {
        std::string path;
        int32_t mode;
        int32_t error;
    };
    const Case cases[] = {
        {existing, 7, BasicFile::kModeOutOfRange},
        {existing, -1, BasicFile::kModeOutOfRange},
        {pathOf("missing.txt"), BasicFile::kRead, BasicFile::kOpenFailed},
        {pathOf("missing.txt"), BasicFile::kReadUpdate, BasicFile::kOpenFailed},
        {pathOf("no-such-dir/x.txt"), BasicFile::kWrite, BasicFile::kOpenFailed},
    };
    for (const Case& c : cases) {
        BasicFile g;
        EXPECT_FALSE(g.open(c.path, c.mode)) << c.path << " mode " << c.mode;
        EXPECT_EQ(g.lastError(), c.error) << c.path << " mode " << c.mode;
        EXPECT_FALSE(g.isOpen());
    }

    ASSERT_TRUE(f.open(existing, BasicFile::kRead));
    EXPECT_FALSE(f.open(existing, BasicFile::kRead));
    EXPECT_EQ(f.lastError(), BasicFile::kAlreadyOpen);
    EXPECT_TRUE(f.isOpen());
    EXPECT_EQ(f.path(), existing);
}

TEST_F(BasicFileTest, OperationsOnAClosedFileReportNotOpen) {
    BasicFile f;
    char byte = 0;
    std::string line = "left over";
    EXPECT_EQ(f.read(&byte, 1), 0u);
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
    EXPECT_EQ(f.write(&byte, 1), 0u);
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
    EXPECT_FALSE(f.readLine(line));
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
    EXPECT_TRUE(line.empty());
    EXPECT_FALSE(f.flush());
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
    EXPECT_FALSE(f.seek(0, 0));
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
    EXPECT_EQ(f.tell(), -1);
    EXPECT_EQ(f.size(), -1);
    EXPECT_FALSE(f.close());
    EXPECT_EQ(f.lastError(), BasicFile::kNotOpen);
}

TEST_F(BasicFileTest, ModeDecidesWhetherReadingAndWritingAreAllowed) {
    const std::string path = make("m.txt", "0123456789");
    struct Case {
        int32_t mode;
        bool reads;
        bool writes;
    };
    const Case cases[] = {
        {BasicFile::kRead, true, false},
        {BasicFile::kAppend, false, true},
        {BasicFile::kReadUpdate, true, true},
        {BasicFile::kAppendUpdate, true, true},
    };
    for (const Case& c : cases) {
        BasicFile f;
        ASSERT_TRUE(f.open(path, c.mode)) << c.mode;
        f.seek(0, 0);
        char byte = 0;
        EXPECT_EQ(f.read(&byte, 1), c.reads ? 1u : 0u) << c.mode;
        EXPECT_EQ(f.lastError(), c.reads ? BasicFile::kNoError : BasicFile::kModeForbids);
        EXPECT_EQ(f.write("x", 1), c.writes ? 1u : 0u) << c.mode;
        EXPECT_EQ(f.lastError(), c.writes ? BasicFile::kNoError : BasicFile::kModeForbids);
        EXPECT_TRUE(f.close());
    }
    // "ab" and "a+b" appended, "r+b" replaced the second byte.
    EXPECT_EQ(contents(path), "0x23456789xx");
}

TEST_F(BasicFileTest, ReadLineDropsEveryCarriageReturn) {
    const std::string longLine(1500, 'z');
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"a\rb\r\n\rc\n", {"ab", "c"}},
        {"last line without end", {"last line without end"}},
        {"\n\n", {"", ""}},
        {"", {}},
        {"\r", {""}},
        {"x\r\n\r", {"x", ""}},
        // A line that crosses the 1024-byte buffer, its CR right at the boundary.
        {std::string(1023, 'q') + "\r\nnext", {std::string(1023, 'q'), "next"}},
        {longLine + "\n" + longLine, {longLine, longLine}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = make("l" + std::to_string(n++) + ".txt", c.bytes);
        BasicFile f;
        ASSERT_TRUE(f.open(path, BasicFile::kRead));
        std::vector<std::string> got;
        std::string line;
        while (f.readLine(line)) got.push_back(line);
        EXPECT_EQ(f.lastError(), BasicFile::kNoError);
        EXPECT_TRUE(line.empty());
        EXPECT_EQ(got, c.lines) << "input of " << c.bytes.size() << " bytes";
    }
}

TEST_F(BasicFileTest, WriteLineEndsWithALineFeedOnly) {
    const std::string path = pathOf("w.txt");
    BasicFile f;
    ASSERT_TRUE(f.open(path, BasicFile::kWrite));
    EXPECT_TRUE(f.writeLine("first"));
    EXPECT_TRUE(f.writeLine(""));
    EXPECT_TRUE(f.writeLine(std::string("a\0b", 3)));
    EXPECT_TRUE(f.close());
    EXPECT_EQ(contents(path), std::string("first\n\na\0b\n", 11));
}

TEST_F(BasicFileTest, PositionAndSizeCountBytesStillInTheBuffer) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes.push_back(static_cast<char>('a' + i % 26));
    const std::string path = make("p.bin", bytes);
    BasicFile f;
    ASSERT_TRUE(f.open(path, BasicFile::kRead));
    EXPECT_EQ(f.size(), 3000);

    char small[10];
    ASSERT_EQ(f.read(small, 10), 10u);
    EXPECT_EQ(std::string(small, 10), bytes.substr(0, 10));
    EXPECT_EQ(f.tell(), 10);
    EXPECT_EQ(f.size(), 3000);
    EXPECT_EQ(f.tell(), 10);

    ASSERT_TRUE(f.seek(5, 1));
    EXPECT_EQ(f.tell(), 15);
    char byte = 0;
    ASSERT_EQ(f.read(&byte, 1), 1u);
    EXPECT_EQ(byte, bytes[15]);

    // Partly from the buffer, partly straight from the stream.
    std::string big(2500, '\0');
    ASSERT_EQ(f.read(&big[0], big.size()), 2500u);
    EXPECT_EQ(big, bytes.substr(16, 2500));
    EXPECT_EQ(f.tell(), 2516);
    EXPECT_FALSE(f.atEnd());

    std::string rest(1000, '\0');
    EXPECT_EQ(f.read(&rest[0], rest.size()), 484u);
    EXPECT_EQ(f.lastError(), BasicFile::kNoError);
    EXPECT_EQ(rest.substr(0, 484), bytes.substr(2516));
    EXPECT_TRUE(f.atEnd());
    EXPECT_EQ(f.read(&byte, 1), 0u);
    EXPECT_EQ(f.lastError(), BasicFile::kNoError);

    ASSERT_TRUE(f.seek(-1, 2));
    EXPECT_EQ(f.tell(), 2999);
    ASSERT_EQ(f.read(&byte, 1), 1u);
    EXPECT_EQ(byte, bytes[2999]);
}

TEST_F(BasicFileTest, SeekRejectsBadOriginAndPositionBeforeStart) {
    const std::string path = make("s.txt", "abcdef");
    BasicFile f;
    ASSERT_TRUE(f.open(path, BasicFile::kRead));
    for (int32_t origin : {-1, 3, 5}) {
        EXPECT_FALSE(f.seek(0, origin));
        EXPECT_EQ(f.lastError(), BasicFile::kOriginOutOfRange);
    }
    EXPECT_FALSE(f.seek(-10, 0));
    EXPECT_EQ(f.lastError(), BasicFile::kSeekFailed);
    EXPECT_TRUE(f.seek(2, 0));
    char byte = 0;
    ASSERT_EQ(f.read(&byte, 1), 1u);
    EXPECT_EQ(byte, 'c');
}

TEST_F(BasicFileTest, WritingAfterReadingLandsAtTheLogicalPosition) {
    const std::string path = make("rw.txt", "0123456789");
    BasicFile f;
    ASSERT_TRUE(f.open(path, BasicFile::kReadUpdate));
    char three[3];
    ASSERT_EQ(f.read(three, 3), 3u);  // the buffer now holds all ten bytes
    EXPECT_FALSE(f.atEnd());          // takes the size, the buffer still holding bytes
    ASSERT_EQ(f.write("AB", 2), 2u);
    EXPECT_EQ(f.tell(), 5);
    EXPECT_EQ(f.size(), 10);
    char next = 0;
    ASSERT_EQ(f.read(&next, 1), 1u);
    EXPECT_EQ(next, '5');
    ASSERT_TRUE(f.seek(0, 2));
    ASSERT_TRUE(f.writeLine("end"));
    EXPECT_EQ(f.size(), 14);
    EXPECT_TRUE(f.close());
    EXPECT_EQ(contents(path), "012AB56789end\n");
}

TEST_F(BasicFileTest, TruncatingModesStartEmpty) {
    for (int32_t mode : {BasicFile::kWrite, BasicFile::kWriteUpdate}) {
        const std::string path = make("t.txt", "old content");
        BasicFile f;
        ASSERT_TRUE(f.open(path, mode));
        EXPECT_EQ(f.size(), 0);
        EXPECT_TRUE(f.atEnd());
        EXPECT_TRUE(f.write(std::string("new")));
        EXPECT_EQ(f.size(), 3);
        EXPECT_TRUE(f.close());
        EXPECT_EQ(contents(path), "new");
    }
}

#ifdef __linux__
TEST_F(BasicFileTest, DataThatCannotReachTheDiskIsReported) {
    // Found out by a flush, or by the close, which closes the file all the same.
    for (bool byClose : {false, true}) {
        BasicFile f;
        ASSERT_TRUE(f.open("/dev/full", BasicFile::kWrite));
        EXPECT_TRUE(f.write(std::string("buffered")));  // still in the stream's buffer
        EXPECT_FALSE(byClose ? f.close() : f.flush());
        EXPECT_EQ(f.lastError(), BasicFile::kFlushFailed);
        if (byClose) {
            EXPECT_FALSE(f.isOpen());
        }
    }

    BasicFile h;
    ASSERT_TRUE(h.open("/dev/full", BasicFile::kWrite));
    const std::string large(1 << 20, 'x');  // larger than any stream buffer
    EXPECT_LT(h.write(large.data(), large.size()), large.size());
    EXPECT_EQ(h.lastError(), BasicFile::kWriteFailed);
}
#endif

}  // namespace
}  // namespace Velmar
