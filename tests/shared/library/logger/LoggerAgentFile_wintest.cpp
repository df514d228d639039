#include "shared/library/logger/LoggerAgentFile.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/common/Monopoly.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinHandle.h"
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

using testing::closeNoteMasked;
using testing::fileNames;
using testing::maskLogTimes;
using testing::openNoteMasked;
using testing::rawExists;
using testing::readFile;
using testing::rotationMasked;

constexpr int32_t kRegistryOpened = 1772975700;  // 2026-03-08 13:15:00 UTC

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
    EXPECT_EQ(maskLogTimes(readFile(path)), openNoteMasked(path) +
                                                "first\r\nsecond \x1a with a control byte\r\n" +
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
    EXPECT_EQ(maskLogTimes(readFile(rotated)), "old\r\n" + openNoteMasked(path) + "before\r\n" +
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
    EXPECT_EQ(
        maskLogTimes(readFile(rotated)),
        openNoteMasked(path) + "one\r\n" + rotationMasked(" Time <time> <= <time>", path, rotated));
    EXPECT_EQ(readFile(path), "Log continued from \"" + fileName(rotated) + "\".\r\ntwo\r\n");
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "1");
}

// A taken rotated name is stepped over; a rename that fails (another handle
// shares no delete access) is noted and raises the limit until one succeeds.
TEST_F(LogAgent, FailedRenameRaisesTheSizeFactorUntilARenameSucceeds) {
    setRotationScheme(kRotateSize);
    key.setString("", "StocksweepLogCounter", "7");
    LoggerAgentFile agent;  // sets the size limit to 10 MiB
    setRotationSize(0);     // every write finds the file too large
    ASSERT_TRUE(agent.setFile(path));
    ASSERT_TRUE(agent.write("a"));
    const std::string taken7 = rotatedFileName(path, agent.openTime(), "7");
    const std::string failed8 = rotatedFileName(path, agent.openTime(), "8");
    const std::string failed9 = rotatedFileName(path, agent.openTime(), "9");
    const std::string rotated = rotatedFileName(path, agent.openTime(), "10");
    dir.makeDir(fileName(taken7));
    std::string expected = openNoteMasked(path) + "a\r\n";
    {
        UniqueFileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader.valid());
        ASSERT_TRUE(agent.write("b"));
        EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.25f);
        ASSERT_TRUE(agent.write("c"));
        EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.5f);
    }
    for (const auto& [line, target] :
         {std::pair<const char*, std::string>{"b", failed8}, {"c", failed9}}) {
        expected += rotationMasked(" Size 0 >= 0", path, target) +
                    "Log file rotation error. (32)\r\n" + line + "\r\n";
    }
    ASSERT_TRUE(agent.write("d"));
    EXPECT_FLOAT_EQ(agent.sizeFactor(), 1.0f);
    expected += rotationMasked(" Size 0 >= 0", path, rotated);
    EXPECT_EQ(maskLogTimes(readFile(rotated)), expected);
    EXPECT_EQ(readFile(path), "Log continued from \"" + fileName(rotated) + "\".\r\nd\r\n");
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"agent.log", fileName(rotated)}));
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "11");
}

// An agent whose counter never reaches the registry: it reads the same counter
// at every rotation.
class CounterStaysBehind : public LoggerAgentFile {
protected:
    bool storeCounter(const std::string&) override { return false; }
};

TEST_F(LogAgent, ACounterThatCannotBeStoredReplacesNoRotatedFile) {
    setRotationScheme(kRotateSize);
    key.setString("", "StocksweepLogCounter", "4");
    CounterStaysBehind agent;
    setRotationSize(0);
    ASSERT_TRUE(agent.setFile(path));
    std::vector<std::string> rotated;
    std::vector<std::string> expectedFiles{"agent.log"};
    for (const char* counter : {"4", "5", "6"}) {
        rotated.push_back(rotatedFileName(path, agent.openTime(), counter));
        expectedFiles.push_back(fileName(rotated.back()));
    }
    for (const char* line : {"a", "b", "c", "d"}) ASSERT_TRUE(agent.write(line));

    EXPECT_EQ(fileNames(dir.path()), expectedFiles);
    EXPECT_EQ(maskLogTimes(readFile(rotated[0])),
              openNoteMasked(path) + "a\r\n" + rotationMasked(" Size 0 >= 0", path, rotated[0]));
    for (size_t k = 1; k < rotated.size(); ++k) {
        EXPECT_EQ(maskLogTimes(readFile(rotated[k])),
                  "Log continued from \"agent_<opened>_" + std::to_string(3 + k) + ".log\".\r\n" +
                      std::string(1, "abcd"[k]) + "\r\n" +
                      rotationMasked(" Size 0 >= 0", path, rotated[k]));
    }
    EXPECT_EQ(readFile(path), "Log continued from \"" + fileName(rotated[2]) + "\".\r\nd\r\n");
    EXPECT_EQ(suiteValue("StocksweepLogCounter"), "4");
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

TEST_F(LogAgent, LineIsRefusedWhileAnotherProcessKeepsTheNamedLock) {
    LoggerAgentFile agent;
    ASSERT_TRUE(agent.setFile(path));
    {
        // The lock of every file named agent.log.
        testing::ChildProcess holder(testing::testProgramDir() + "monopoly_probe.exe",
                                     "hold agent.log");
        ASSERT_EQ(holder.readLine(), "held");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(agent.write("refused"));
        EXPECT_GE(std::chrono::steady_clock::now() - start,
                  std::chrono::milliseconds(LoggerAgentFile::kLockWaitMs * 9 / 10));
        EXPECT_FALSE(rawExists(path));
        holder.closeInput();
        EXPECT_EQ(holder.wait(), 0u);
    }
    EXPECT_TRUE(agent.write("taken"));
    EXPECT_EQ(maskLogTimes(readFile(path)), openNoteMasked(path) + "taken\r\n");
}

}  // namespace
}  // namespace Velmar
