#include "shared/library/logger/LoggerAgentFile.h"

#include "shared/library/common/FileUtils.h"
#include "shared/library/common/Monopoly.h"
#include "shared/library/common/SystemInfo.h"
#include "shared/library/logger/LogRotation.h"
#include "shared/library/logger/LogSettings.h"
#include "tests/support/LogTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::fileNames;
using testing::maskLogTimes;
using testing::rawExists;
using testing::readFile;

constexpr int32_t kRegistryOpened = 1772975700;  // 2026-03-08 13:15:00 UTC

std::string openNoteMasked(const std::string& path) {
    return "\r\nVelmar VERSION(6.5.0.0) REVISION(24657)\r\nOpened log file \"" + path +
           "\". Time: <time> <zone>\r\n\r\n";
}

std::string closeNoteMasked(const std::string& path, const std::string& reason) {
    return "\r\nClosing log file \"" + path + "\". Time: <time>. Reason: " + reason + ".\r\n\r\n";
}

// The rotation notes up to the close of the rotated file.
std::string rotationMasked(const std::string& reasons, const std::string& path,
                           const std::string& rotated) {
    return "\nRotate condition(s):" + reasons + "\r\n\nRotation process started...\r\n" +
           "Renaming file from \"" + path + "\" to \"" + maskLogTimes(rotated) + "\".\r\n" +
           closeNoteMasked(path, "Rotating log file");
}

// The scratch key is the suite key, the application is "Stocksweep" and the
// rotation settings start from their initial values.
class LogAgent : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
        ::SetEnvironmentVariableA("VELMAR_ENV", key.path().c_str());
        setApplicationName("Stocksweep");
        saved = rotationSettings();
        rotationSettings() = RotationSettings();
    }
    void TearDown() override {
        rotationSettings() = saved;
        ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
        selectHive("HKEY_LOCAL_MACHINE");
    }
    std::string suiteValue(const std::string& name) {
        std::string text;
        return readSuiteValue(name, text) == kRegOk ? text : "<unset>";
    }

    RotationSettings saved;
    testing::ScratchKey key{"StocksweepLogAgentTest"};
    testing::ScratchDir dir{"StocksweepLogAgent"};
    std::string path = dir.path() + "agent.log";
};

TEST_F(LogAgent, FreshFileHoldsOpenNoteLinesAndCloseNote) {
    {
        LoggerAgentFile agent;
        ASSERT_TRUE(agent.setFile(path));
        EXPECT_FALSE(rawExists(path)) << "a file is made by the first line only";
        ASSERT_TRUE(agent.write("first"));
        ASSERT_TRUE(agent.write("second \x1a with a control byte"));
        EXPECT_EQ(agent.location(), "file:///" + path);
    }
    EXPECT_EQ(maskLogTimes(readFile(path)),
              openNoteMasked(path) + "first\r\nsecond \x1a with a control byte\r\n" +
                  closeNoteMasked(path, "Quitting Logger Agent"));
    const std::string opened = suiteValue("StocksweepLogOpened");
    EXPECT_TRUE(std::regex_match(opened, std::regex(R"(\d{8}T\d{6}Z)"))) << opened;
    DateTime read(0);
    ASSERT_TRUE(read.fromText(opened));
    EXPECT_LE(DateTime().getSeconds() - read.getSeconds(), 60);
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "<unset>");
}

TEST_F(LogAgent, InitRotationUsesRegistryOpeningTimeAndCounter) {
    testing::writeFile(path, "old\r\n");
    key.setString("", "StocksweepLogOpened", "20260308T131500Z");
    key.setString("", "StocksweepLogCounter", "4");
    setRotationScheme(kRotateInit);
    const std::string rotated = rotatedFileName(path, DateTime(kRegistryOpened), "4");
    {
        LoggerAgentFile agent;
        ASSERT_TRUE(agent.setFile(path));
        // The line that opens the file serves the pending init condition.
        ASSERT_TRUE(agent.write("before"));
        EXPECT_EQ(agent.openTime().getSeconds(), kRegistryOpened);
        EXPECT_EQ(fileNames(dir.path()), std::vector<std::string>{"agent.log"});
        armInitRotation();
        ASSERT_TRUE(agent.write("after"));
    }
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"agent.log", fileName(rotated)}));
    EXPECT_EQ(maskLogTimes(readFile(rotated)),
              "old\r\n" + openNoteMasked(path) + "before\r\n" +
                  rotationMasked(" Init", path, rotated));
    EXPECT_EQ(maskLogTimes(readFile(path)),
              "Log continued from \"agent_<opened>_4.log\".\r\nafter\r\n" +
                  closeNoteMasked(path, "Quitting Logger Agent"));
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "5");
    EXPECT_EQ(suiteValue("StocksweepLogOpened"), "20260308T131500Z");
}

TEST_F(LogAgent, TimeRotationWhenThePeriodHasElapsed) {
    setRotationScheme(kRotateTime);
    setRotationTime(TimeSpan(1));
    LoggerAgentFile agent;
    ASSERT_TRUE(agent.setFile(path));
    ASSERT_TRUE(agent.write("one"));
    ::Sleep(1100);
    ASSERT_TRUE(agent.write("two"));
    const std::string rotated = rotatedFileName(path, agent.openTime(), "0");
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"agent.log", fileName(rotated)}));
    EXPECT_EQ(maskLogTimes(readFile(rotated)),
              openNoteMasked(path) + "one\r\n" +
                  rotationMasked(" Time <time> <= <time>", path, rotated));
    EXPECT_EQ(readFile(path), "Log continued from \"" + fileName(rotated) + "\".\r\ntwo\r\n");
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "1");
}

TEST_F(LogAgent, FailedRenameRaisesTheSizeFactorUntilARenameSucceeds) {
    setRotationScheme(kRotateSize);
    setRotationSize(0);  // every write finds the file too large
    key.setString("", "StocksweepLogCounter", "7");
    LoggerAgentFile agent;
    ASSERT_TRUE(agent.setFile(path));
    ASSERT_TRUE(agent.write("a"));
    const std::string held7 = rotatedFileName(path, agent.openTime(), "7");
    const std::string held8 = rotatedFileName(path, agent.openTime(), "8");
    const std::string rotated = rotatedFileName(path, agent.openTime(), "9");
    std::string expected = openNoteMasked(path) + "a\r\n";
    {
        // Open without delete sharing, the target names cannot be replaced.
        UniqueFileHandle hold7(::CreateFileA(held7.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                             nullptr, CREATE_ALWAYS, 0, nullptr));
        UniqueFileHandle hold8(::CreateFileA(held8.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                             nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(hold7 && hold8);
        ASSERT_TRUE(agent.write("b"));
        EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.25f);
        ASSERT_TRUE(agent.write("c"));
        EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.5f);
        for (const auto& [line, target] : {std::pair<const char*, std::string>{"b", held7},
                                           {"c", held8}}) {
            expected += rotationMasked(" Size 0 >= 0", path, target) +
                        "Log file rotation error. (<code>)\r\n" + line + "\r\n";
        }
    }
    ASSERT_TRUE(agent.write("d"));
    EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.0f);
    expected += rotationMasked(" Size 0 >= 0", path, rotated);
    const std::string text = std::regex_replace(maskLogTimes(readFile(rotated)),
                                                std::regex(R"(error\. \(\d+\))"),
                                                "error. (<code>)");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(readFile(path), "Log continued from \"" + fileName(rotated) + "\".\r\nd\r\n");
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "10");
}

TEST_F(LogAgent, MovingTheFileClosesTheOldWithAReasonAndContinuesInTheNew) {
    const std::string oldPath = dir.makeDir("old") + "x.log";
    const std::string newPath = dir.makeDir("new") + "x.log";
    LoggerAgentFile agent;
    // Before any line the move is silent.
    ASSERT_TRUE(agent.setFile(newPath));
    ASSERT_TRUE(agent.setFile(oldPath));
    EXPECT_FALSE(rawExists(newPath) || rawExists(oldPath));

    ASSERT_TRUE(agent.write("one"));
    ASSERT_TRUE(agent.setFile(oldPath));  // the same path changes nothing
    ASSERT_TRUE(agent.setFile(newPath));
    ASSERT_TRUE(agent.write("two"));
    EXPECT_EQ(maskLogTimes(readFile(oldPath)),
              openNoteMasked(oldPath) + "one\r\n" +
                  closeNoteMasked(oldPath, "Log file moved to \"" + newPath + "\"."));
    EXPECT_EQ(maskLogTimes(readFile(newPath)),
              openNoteMasked(newPath) + "Log continued from \"" + oldPath + "\".\r\ntwo\r\n");
}

TEST_F(LogAgent, LineIsRefusedWhileAnotherHolderKeepsTheNamedLock) {
    Monopoly other("agent.log");  // the lock of every file named agent.log
    ASSERT_TRUE(other.enforce());
    LoggerAgentFile agent;
    ASSERT_TRUE(agent.setFile(path));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(agent.write("refused"));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(LoggerAgentFile::kLockTries *
                                                LoggerAgentFile::kLockPauseMs * 9 / 10));
    EXPECT_FALSE(rawExists(path));
    other.relax();
    EXPECT_TRUE(agent.write("taken"));
    EXPECT_EQ(maskLogTimes(readFile(path)), openNoteMasked(path) + "taken\r\n");
}

}  // namespace
}  // namespace Velmar
