#include "app/RegistryScan.h"

#include "shared/library/system/SystemInfo.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

// Keeps every path handed on; refuses those holding "Program Files", so that
// the walk's second try with a value name's last component shows.
class RecordingSink : public CandidateSink {
public:
    bool processCandidate(std::string path) override {
        paths.push_back(path);
        return path.find("Program Files") == std::string::npos;
    }
    std::vector<std::string> paths;
};

std::string environment(const char* name) {
    char value[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

TEST(RegistryScan, EverySourceOfPathsInWalkOrder) {
    testing::ScratchKey scratch("StocksweepScan");
    const std::string& key = scratch.path();
    scratch.setString("", "", "c:\\d\\default.exe");
    const DWORD one = 1;
    scratch.setBytes("", "C:\\Program Files\\Tool\\run.exe", REG_DWORD, &one, sizeof(one));
    scratch.setString("", "cmd", "\"C:\\A\\a.exe\" -x \"C:\\B\\b.exe\" -y");
    scratch.setString("", "expand", "%SystemRoot%\\x.exe", REG_EXPAND_SZ);
    scratch.setString("", "mixed", "C:\\Tool.Exe /run");
    const char multi[] = "c:\\m1.exe\0d:\\m2.exe -z\0";
    scratch.setBytes("", "multi", REG_MULTI_SZ, multi, sizeof(multi));
    scratch.setString("App Paths\\tool.exe", "Path", "c:\\t");
    scratch.setString("Zed", "", "");

    std::deque<std::string> queue{key + "\\missing", key};
    RecordingSink sink;
    testing::RecordingLog log(5);
    ProcessEnvironment process(log);
    scanRegistryRoot(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", false, queue, sink, log, process);

    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(sink.paths,
              (std::vector<std::string>{"c:\\d\\default.exe", "C:\\Program Files\\Tool\\run.exe",
                                        "run.exe", "\"C:\\A\\a.exe", "\" -x \"C:\\B\\b.exe",
                                        environment("SystemRoot") + "\\x.exe", "c:\\m1.exe",
                                        "d:\\m2.exe", "tool.exe"}));
    const std::string root = "|s:HKEY_CURRENT_USER |s:" + key;
    EXPECT_EQ(log.joined(),
              "2 Scanning root key \"%s\"... |s:HKEY_CURRENT_USER\n"
              "4 Scanning key \"%s\\%s\"... " +
                  root +
                  "\n"
                  "5    Got %i subkey(s). |n:2\n"
                  "5    Got %i value(s). |n:6\n"
                  "5    Value name \"%s\"... |s:(Default)\n"
                  "5    Value name \"%s\"... |s:cmd\n"
                  "5    Value name \"%s\"... |s:expand\n"
                  "5    Value name \"%s\"... |s:mixed\n"
                  "5    Value name \"%s\"... |s:multi\n"
                  "4 Scanning key \"%s\\%s\"... " +
                  root +
                  "\\Zed\n"
                  "5    Got %i subkey(s). |n:0\n"
                  "5    Got %i value(s). |n:1\n"
                  "5    Value name \"%s\"... |s:(Default)\n"
                  "4 Scanning key \"%s\\%s\"... " +
                  root +
                  "\\App Paths\n"
                  "5    Got %i subkey(s). |n:1\n"
                  "5    Got %i value(s). |n:0\n"
                  "4 Scanning key \"%s\\%s\"... " +
                  root +
                  "\\App Paths\\tool.exe\n"
                  "5    Got %i subkey(s). |n:0\n"
                  "5    Got %i value(s). |n:1\n"
                  "5    Value name \"%s\"... |s:Path\n"
                  "4 Scanning key \"%s\\%s\"... " +
                  root +
                  "\\missing\n"
                  "WARNING 10 " +
                  root + "\\missing\n");

    // At debug level 0 the walk builds no per-key message.
    std::deque<std::string> again{key};
    testing::RecordingLog quiet(0);
    scanRegistryRoot(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", false, again, sink, quiet, process);
    EXPECT_EQ(quiet.joined(), "2 Scanning root key \"%s\"... |s:HKEY_CURRENT_USER\n");
}

// References name values of the suite key, which VELMAR_ENV points at here.
TEST(RegistryScan, SuiteReferencesInTexts) {
    testing::ScratchKey scratch("StocksweepRefs");
    scratch.setString("", "Base", "c:\\suite");
    scratch.setString("Sub", "run", "${Base}\\bin\\x.exe ${Missing}\\y.exe");
    ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
    ASSERT_TRUE(::SetEnvironmentVariableA("VELMAR_ENV", scratch.path().c_str()));
    std::deque<std::string> queue{scratch.sub("Sub")};
    RecordingSink sink;
    testing::RecordingLog log(0);
    ProcessEnvironment process(log);
    scanRegistryRoot(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", false, queue, sink, log, process);
    ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
    selectHive("HKEY_LOCAL_MACHINE");
    EXPECT_EQ(sink.paths, (std::vector<std::string>{"c:\\suite\\bin\\x.exe", "${Missing}\\y.exe"}));
}

TEST(RegistryScan, ExpansionBeyondFourTimesTheLength) {
    const std::string value(300, 'v');
    ASSERT_TRUE(::SetEnvironmentVariableA("STOCKSWEEP_LONG", value.c_str()));
    testing::RecordingLog log;
    EXPECT_EQ(expandEnvironment("%STOCKSWEEP_LONG%\\a.exe", log), value + "\\a.exe");
    EXPECT_EQ(expandEnvironment("c:\\%NO_SUCH_VARIABLE_HERE%.exe", log),
              "c:\\%NO_SUCH_VARIABLE_HERE%.exe");
    ::SetEnvironmentVariableA("STOCKSWEEP_LONG", nullptr);
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

}  // namespace
}  // namespace Velmar
