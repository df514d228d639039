// Several processes write one log file through the whole chain at once.
#include "shared/library/common/SystemInfo.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace Velmar {
namespace {

constexpr int kWriters = 4;
constexpr long kLinesEach = 5000;

size_t countOf(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

struct WritersRun {
    double seconds = 0;
    std::string text;  // every file of the directory, one after the other
};

class LogWriters : public ::testing::Test {
protected:
    // Starts kWriters helpers at once, each writing kLinesEach lines to the
    // same file, and waits for all of them.
    WritersRun run(const std::string& extraArgument) {
        const std::string environment =
            testing::environmentBlock({"VELMAR_ENV"}, {{"VELMAR_ENV", key.path()}});
        const std::string exe = testing::testProgramDir() + "log_writer.exe";
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::unique_ptr<testing::ChildProcess>> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.push_back(std::make_unique<testing::ChildProcess>(
                exe, "\"" + path + "\" " + std::to_string(w) + " " +
                         std::to_string(kLinesEach) + extraArgument,
                environment));
        }
        for (auto& writer : writers) {
            const std::string refused = writer->readAll();
            EXPECT_EQ(writer->wait(), 0u) << "refused lines: " << refused;
        }
        WritersRun result;
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (const std::string& name : testing::fileNames(dir.path())) {
            result.text += testing::readFile(dir.path() + name);
        }
        std::cout << kWriters << " writers x " << kLinesEach << " lines: " << result.seconds
                  << " s, " << kWriters * kLinesEach / result.seconds << " lines/s, "
                  << testing::fileNames(dir.path()).size() << " file(s), "
                  << countOf(result.text, "Rotation process started") << " rotation(s), "
                  << countOf(result.text, "Log file rotation error") << " failed\n";
        return result;
    }

    // Every writer's every line exactly once, each one whole on a line of its own.
    static void expectEveryLineOnce(const std::string& text) {
        static const std::regex line(
            R"(debug-1  \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d \(5\.24\)    \d+: writer (\d+) line (\d+) \.{64})");
        std::vector<std::vector<int>> seen(kWriters, std::vector<int>(kLinesEach, 0));
        size_t start = 0;
        int torn = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string one = text.substr(start, end - start);
            if (one.find("writer") == std::string::npos) continue;
            std::smatch match;
            const long writer = std::regex_match(one, match, line) ? std::stol(match[1]) : -1;
            const long number = writer >= 0 ? std::stol(match[2]) : -1;
            if (writer < 0 || writer >= kWriters || number >= kLinesEach) {
                if (++torn <= 5) ADD_FAILURE() << "not a whole line: " << one;
                continue;
            }
            ++seen[writer][number];
        }
        EXPECT_EQ(torn, 0);
        int wrong = 0;
        for (int w = 0; w < kWriters; ++w) {
            for (long n = 0; n < kLinesEach; ++n) {
                if (seen[w][n] != 1 && ++wrong <= 5) {
                    ADD_FAILURE() << "writer " << w << " line " << n << " seen " << seen[w][n];
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    void SetUp() override { ASSERT_TRUE(selectHive("HKEY_CURRENT_USER")); }
    void TearDown() override { selectHive("HKEY_LOCAL_MACHINE"); }

    testing::ScratchKey key{"StocksweepLogWritersTest"};
    testing::ScratchDir dir{"StocksweepLogWriters"};
    std::string path = dir.path() + "shared.log";
};

TEST_F(LogWriters, EveryLineOnceAndWhole) {
    expectEveryLineOnce(run("").text);
}

// Every writer keeps the file open, and the file system refuses to rename a
// file that other processes hold open: each rotation that the size starts ends
// in the error note and a raised limit, in the middle of the other writers' lines.
TEST_F(LogWriters, EveryLineOnceAndWholeWhileSizeRotationRuns) {
    const WritersRun result = run(" 1");  // 1 MiB; the writers write about 2.5
    expectEveryLineOnce(result.text);
    EXPECT_NE(result.text.find("Rotate condition(s): Size 1 >= 1"), std::string::npos);
}

}  // namespace
}  // namespace Velmar
