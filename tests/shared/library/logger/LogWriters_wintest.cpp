// Several processes write one log file through the whole chain at once, each
// holding the file open from its first line to its last.
#include "shared/library/system/SystemInfo.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace Velmar {
namespace {

constexpr int kWriters = 4;
constexpr long kLinesEach = 5000;
constexpr uint64_t kMiB = uint64_t{1} << 20;

size_t countOf(const std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
        ++count;
    }
    return count;
}

// Removes every occurrence of `piece` and answers how many there were.
size_t removeAll(std::string& text, const std::string& piece) {
    size_t count = 0;
    for (size_t at; (at = text.find(piece)) != std::string::npos; ++count)
        text.erase(at, piece.size());
    return count;
}

// One line of a writer, as the file shows it, in the order of the files.
struct WriterLine {
    long writer;
    long number;
};

struct WritersRun {
    double seconds = 0;
    std::map<std::string, std::string> files;  // by name
    std::string text;                          // every file, one after the other
};

class LogWriters : public ::testing::Test {
protected:
    // Starts one helper per entry of `counts` (writer w writes counts[w]
    // lines), lets them all begin at one moment, and waits for all of them.
    WritersRun run(const std::vector<long>& counts, const std::string& extraArgument) {
        const std::string environment =
            testing::environmentBlock({"VELMAR_ENV"}, {{"VELMAR_ENV", key.path()}});
        const std::string exe = testing::testProgramDir() + "log_writer.exe";
        std::vector<std::unique_ptr<testing::ChildProcess>> writers;
        for (size_t w = 0; w < counts.size(); ++w) {
            writers.push_back(std::make_unique<testing::ChildProcess>(
                exe,
                "\"" + path + "\" " + std::to_string(w) + " " + std::to_string(counts[w]) +
                    extraArgument,
                environment));
        }
        for (auto& writer : writers) EXPECT_EQ(writer->readLine(), "ready");
        const auto start = std::chrono::steady_clock::now();
        for (auto& writer : writers) writer->closeInput();
        for (auto& writer : writers) {
            const std::string refused = writer->readAll();
            EXPECT_EQ(writer->wait(), 0u) << "refused lines: " << refused;
        }
        WritersRun result;
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (const std::string& name : testing::fileNames(dir.path())) {
            result.files[name] = testing::readFile(dir.path() + name);
            result.text += result.files[name];
        }
        long lines = 0;
        for (long count : counts) lines += count;
        std::cout << counts.size() << " writers, " << lines << " lines: " << result.seconds
                  << " s, " << lines / result.seconds << " lines/s, " << result.files.size()
                  << " file(s), " << countOf(result.text, "Rotation process started")
                  << " rotation(s), " << countOf(result.text, "Log file rotation error")
                  << " failed\n";
        return result;
    }

    // The writers' lines in file order. Every line that names a writer must be
    // whole and well formed, and every file must end with a whole line.
    static std::vector<WriterLine> writerLines(const WritersRun& run) {
        static const std::regex line(
            R"(debug-1  \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d \(5\.24\)    \d+: writer (\d+) line (\d+) \.{64})");
        std::vector<WriterLine> lines;
        int torn = 0;
        for (const auto& [name, text] : run.files) {
            EXPECT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) << name;
            size_t start = 0;
            for (size_t end; (end = text.find("\r\n", start)) != std::string::npos;
                 start = end + 2) {
                const std::string one = text.substr(start, end - start);
                if (one.find("writer") == std::string::npos) continue;
                std::smatch match;
                if (!std::regex_match(one, match, line)) {
                    if (++torn <= 5) ADD_FAILURE() << "not a whole line in " << name << ": " << one;
                    continue;
                }
                lines.push_back({std::stol(match[1]), std::stol(match[2])});
            }
        }
        EXPECT_EQ(torn, 0);
        return lines;
    }

    // Writer w's lines 0 to counts[w] - 1 each exactly once.
    static void expectEveryLineOnce(const std::vector<WriterLine>& lines,
                                    const std::vector<long>& counts) {
        std::vector<std::vector<int>> seen;
        for (long count : counts) seen.emplace_back(count, 0);
        int wrong = 0;
        for (const WriterLine& l : lines) {
            if (l.writer < 0 || l.writer >= static_cast<long>(counts.size()) ||
                l.number >= counts[l.writer]) {
                if (++wrong <= 5) ADD_FAILURE() << "writer " << l.writer << " line " << l.number;
                continue;
            }
            ++seen[l.writer][l.number];
        }
        for (size_t w = 0; w < counts.size(); ++w) {
            for (long n = 0; n < counts[w]; ++n) {
                if (seen[w][n] != 1 && ++wrong <= 5) {
                    ADD_FAILURE() << "writer " << w << " line " << n << " seen " << seen[w][n];
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    void SetUp() override {
        ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
        ::SetEnvironmentVariableA("VELMAR_ENV", key.path().c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
        selectHive("HKEY_LOCAL_MACHINE");
    }

    testing::ScratchKey key{"StocksweepLogWritersTest"};
    testing::ScratchDir dir{"StocksweepLogWriters"};
    std::string path = dir.path() + "shared.log";
};

TEST_F(LogWriters, EveryLineOnceAndWhole) {
    const std::vector<long> counts(kWriters, kLinesEach);
    const WritersRun result = run(counts, "");
    EXPECT_EQ(result.files.size(), 1u);
    expectEveryLineOnce(writerLines(result), counts);
}

// The bytes of the last write in `body`: its last line, with the open note
// that the same write put before it, or a close note that came last.
size_t lastWriteSize(const std::string& body) {
    const size_t closing = body.rfind("\r\nClosing log file ");
    if (closing != std::string::npos && body.find("\r\n\r\n", closing) + 4 == body.size()) {
        return body.size() - closing;
    }
    const size_t previous = body.rfind("\r\n", body.size() - 3);
    const size_t lineStart = previous == std::string::npos ? 0 : previous + 2;
    const size_t note = body.rfind("\r\nVelmar VERSION(");
    if (note != std::string::npos && body.find("\r\n\r\n", note + 2) + 4 == lineStart) {
        return body.size() - note;
    }
    return body.size() - lineStart;
}

// Every writer may rotate the file that all of them hold open; each crossing of
// the limit is judged once, on the file under the path, by whichever writer
// comes first, and the others follow into the new file. Compared whole: what
// the files hold besides the writers' own lines (their open and quit notes
// removed and counted), and the lines themselves.
TEST_F(LogWriters, SizeRotationWhileEveryWriterHoldsTheFileOpen) {
    const std::vector<long> counts(kWriters, kLinesEach);
    const WritersRun result = run(counts, " 1");  // 1 MiB; the writers write about 2.5
    expectEveryLineOnce(writerLines(result), counts);
    EXPECT_EQ(countOf(result.text, "Log file rotation error"), 0u);

    // The rotated files by their counter.
    static const std::regex rotatedName(R"(shared_\d{8}T\d{6}_(\d+)\.log)");
    std::map<long, std::string> rotated;
    uint64_t totalBytes = 0;
    for (const auto& [name, text] : result.files) {
        totalBytes += text.size();
        std::smatch match;
        if (std::regex_match(name, match, rotatedName)) {
            rotated[std::stol(match[1])] = name;
        } else {
            EXPECT_EQ(name, "shared.log");
        }
    }
    const size_t rotations = rotated.size();
    std::cout << "rotated files: " << rotations << " for " << totalBytes << " bytes ("
              << static_cast<double>(totalBytes) / kMiB << " MiB)\n";
    ASSERT_GE(rotations, 1u);
    EXPECT_LE(rotations, totalBytes / kMiB);
    EXPECT_EQ(rotated.rbegin()->first, static_cast<long>(rotations) - 1) << "counters 0 to n-1";

    std::string counter;
    ASSERT_EQ(readSuiteValue("StocksweepLogCounter", counter), kRegOk);
    EXPECT_EQ(counter, std::to_string(rotations));

    size_t openNotes = 0;
    size_t quitNotes = 0;
    static const std::regex debugLine(R"(debug-\d[^\r\n]*\r\n)");
    auto skeleton = [&](const std::string& text) {
        std::string masked = testing::maskLogTimes(text);
        openNotes += removeAll(masked, testing::openNoteMasked(path));
        quitNotes += removeAll(masked, testing::closeNoteMasked(path, "Quitting Logger Agent"));
        return std::regex_replace(masked, debugLine, "");
    };
    std::string previous;
    for (const auto& [counter, name] : rotated) {
        const std::string& text = result.files.at(name);
        const std::string continued =
            previous.empty()
                ? ""
                : "Log continued from \"" + testing::maskLogTimes(previous) + "\".\r\n";
        EXPECT_EQ(skeleton(text),
                  continued + testing::rotationMasked(" Size 1 >= 1", path, dir.path() + name))
            << name;
        // Rotated when it had reached the limit, and not later than the write
        // after the one that crossed it.
        const std::string body = text.substr(0, text.find("\nRotate condition(s):"));
        EXPECT_GE(body.size(), kMiB) << name;
        EXPECT_LT(body.size() - lastWriteSize(body), kMiB) << name;
        previous = name;
    }
    const std::string& current = result.files.at("shared.log");
    EXPECT_EQ(skeleton(current),
              "Log continued from \"" + testing::maskLogTimes(previous) + "\".\r\n");
    EXPECT_LT(current.size(), kMiB + lastWriteSize(current));
    EXPECT_EQ(openNotes, static_cast<size_t>(kWriters));
    EXPECT_EQ(quitNotes, static_cast<size_t>(kWriters));
}

// The lock serves waiters in turn: a writer with a few lines among writers that
// never pause gets every one of them in, while the others are still writing.
TEST_F(LogWriters, AWriterBehindBusyWritersGetsEveryLineIn) {
    const long kBusy = 3000;
    const long kFew = 100;
    const std::vector<long> counts{kBusy, kBusy, kBusy, kFew};
    const std::vector<WriterLine> lines = writerLines(run(counts, ""));
    expectEveryLineOnce(lines, counts);
    const auto lastFew = std::find_if(lines.rbegin(), lines.rend(),
                                      [](const WriterLine& l) { return l.writer == 3; });
    ASSERT_NE(lastFew, lines.rend());
    std::vector<long> busyAfter(3, 0);
    for (auto it = lines.rbegin(); it != lastFew; ++it) ++busyAfter[it->writer];
    for (long busy : busyAfter)
        EXPECT_GT(busy, 0) << "every busy writer still wrote after the last few";
}

}  // namespace
}  // namespace Velmar
