#include "shared/library/system/SystemInfo.h"

#include "shared/library/system/Wow64.h"
#include "shared/library/system/References.h"
#include "shared/library/system/SystemInfoRules.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

namespace Velmar {
namespace {

using testing::ScratchDir;
using testing::ScratchKey;

constexpr bool kBuiltFor32Bits = sizeof(void*) == 4;

// Runs `action` with the C runtime's standard output sent to a file; answers
// what was written.
std::string captureStdout(const std::function<void()>& action) {
    ScratchDir dir("StocksweepSysInfoOut");
    const std::string path = dir.path() + "out.txt";
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    const int file =
        _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    _dup2(file, _fileno(stdout));
    _close(file);
    action();
    std::fflush(stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every test works below a scratch key of its own in HKEY_CURRENT_USER, which
// is made the current hive; "VELMAR_ENV" is cleared around each test.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
        ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
    }
    void TearDown() override {
        ::SetEnvironmentVariableA("VELMAR_ENV", nullptr);
        selectHive("HKEY_LOCAL_MACHINE");
    }
    // The scratch key becomes the suite key.
    void useScratchAsSuiteKey() { ::SetEnvironmentVariableA("VELMAR_ENV", key.path().c_str()); }

    ScratchKey key{"StocksweepSysInfoTest"};
};

TEST_F(Registry, SelectHiveTakesOnlyTheFiveExactNames) {
    for (const char* hive : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_USERS",
                             "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
        EXPECT_TRUE(selectHive(hive)) << hive;
        EXPECT_EQ(currentHive(), hive);
    }
    for (const char* wrong : {"hkey_users", "HKEY_USERS ", "HKU", "", "HKEY_PERFORMANCE_DATA"}) {
        EXPECT_FALSE(selectHive(wrong)) << wrong;
        EXPECT_EQ(currentHive(), "HKEY_CURRENT_USER");
    }
}

TEST_F(Registry, KeysExistWhenOpenableUnderTheCurrentHive) {
    key.setString("", "Where", "user");
    key.setString("child", "v", "x");
    std::string text;
    EXPECT_EQ(readRegistryString(key.path(), "Where", text, false), 0u);
    const std::pair<std::string, bool> keys[] = {{key.path(), true},
                                                 {key.sub("child"), true},
                                                 {key.sub("missing"), false},
                                                 {key.sub("child\\deeper"), false}};
    for (const auto& k : keys) EXPECT_EQ(keyExists(k.first, false), k.second) << k.first;
    ASSERT_TRUE(selectHive("HKEY_USERS"));
    EXPECT_EQ(readRegistryString(key.path(), "Where", text, false), 2u);
    EXPECT_FALSE(keyExists(key.path(), false));
}

TEST_F(Registry, ReadStringKeepsTheStoredBytesOrLeavesTheTextAlone) {
    const std::string multi("one\0two\0\0", 9);
    const std::string longText(5000, 'L');
    const DWORD number = 7;
    key.setString("", "plain", "C:\\Velmar");
    key.setString("", "expand", "%SystemRoot%\\x", REG_EXPAND_SZ);
    key.setBytes("", "multi", REG_MULTI_SZ, multi.data(), static_cast<DWORD>(multi.size()));
    key.setBytes("", "zeros", REG_SZ, "ab\0\0\0", 5);
    key.setBytes("", "unterminated", REG_SZ, "abc", 3);
    key.setString("", "long", longText);
    key.setString("", "empty", "");
    key.setString("", "", "default value");
    key.setBytes("", "dword", REG_DWORD, &number, sizeof(number));
    key.setBytes("", "binary", REG_BINARY, "ab", 2);
    key.setBytes("", "none", REG_NONE, "ab", 2);
    struct Case {
        std::string key;
        const char* name;
        unsigned code;
        std::string text;  // "stale" when it is left alone
    };
    const Case cases[] = {
        {key.path(), "plain", 0, "C:\\Velmar"},
        {key.path(), "expand", 0, "%SystemRoot%\\x"},
        {key.path(), "multi", 0, std::string("one\0two", 7)},
        {key.path(), "zeros", 0, "ab"},
        {key.path(), "unterminated", 0, "abc"},
        {key.path(), "long", 0, longText},
        {key.path(), "empty", 0, ""},
        {key.path(), "", 0, "default value"},
        {key.path(), "dword", 3, "stale"},
        {key.path(), "binary", 3, "stale"},
        {key.path(), "none", 3, "stale"},
        {key.path(), "missing", 2, "stale"},
        {key.sub("missing"), "plain", 2, "stale"},
    };
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(readRegistryString(c.key, c.name, text, false), c.code) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST_F(Registry, ReadStringOfOddLengthUnicodeData) {
    // Stored through the wide interface with half a character at the end.
    UniqueHKey raw;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, key.path().c_str(), 0, KEY_SET_VALUE, raw.put()),
              ERROR_SUCCESS);
    const wchar_t data[] = L"abc";
    ASSERT_EQ(
        ::RegSetValueExW(raw.get(), L"odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), 5),
        ERROR_SUCCESS);
    std::string text;
    ASSERT_EQ(readRegistryString(key.path(), "odd", text, false), 0u);
    EXPECT_EQ(text.substr(0, 2), "ab");
    EXPECT_LE(text.size(), 3u);
}

TEST_F(Registry, ReadDwordTakesOnlyFourByteDwords) {
    const DWORD number = 0x12345678;
    const WORD shortNumber = 7;
    const uint64_t wide = 0x1122334455667788ull;
    const std::string large(200, 'x');
    key.setBytes("", "dword", REG_DWORD, &number, sizeof(number));
    key.setBytes("", "short", REG_DWORD, &shortNumber, sizeof(shortNumber));
    key.setBytes("", "eight", REG_DWORD, &wide, sizeof(wide));
    key.setBytes("", "qword", REG_QWORD, &wide, sizeof(wide));
    key.setBytes("", "large", REG_DWORD, large.data(), static_cast<DWORD>(large.size()));
    key.setString("", "text", "12");
    struct Case {
        std::string key;
        const char* name;
        unsigned code;
        uint32_t value;
    };
    const Case cases[] = {
        {key.path(), "dword", 0, 0x12345678},
        {key.path(), "short", 3, 99},
        {key.path(), "eight", 3, 99},
        {key.path(), "qword", 3, 99},
        {key.path(), "text", 3, 99},
        // More than the single query takes: no second try.
        {key.path(), "large", 2, 99},
        {key.path(), "missing", 2, 99},
        {key.sub("missing"), "dword", 2, 99},
    };
    for (const Case& c : cases) {
        uint32_t value = 99;
        EXPECT_EQ(readRegistryDword(c.key, c.name, value, false), c.code) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
}

TEST_F(Registry, WriteCreatesTheKeyAndStoresTheExactData) {
    const std::string path = key.sub("new\\deeper");
    EXPECT_EQ(writeRegistryValue(path, "text", REG_SZ, "abc", 3, false), 0u);
    const DWORD number = 42;
    EXPECT_EQ(writeRegistryValue(path, "number", REG_DWORD, &number, 4, false), 0u);
    const std::string multi("a\0b\0", 4);
    EXPECT_EQ(writeRegistryValue(path, "multi", REG_MULTI_SZ, multi.data(), 4, false), 0u);

    std::string text;
    EXPECT_EQ(readRegistryString(path, "text", text, false), 0u);
    EXPECT_EQ(text, "abc");
    uint32_t read = 0;
    EXPECT_EQ(readRegistryDword(path, "number", read, false), 0u);
    EXPECT_EQ(read, 42u);
    EXPECT_EQ(readRegistryString(path, "multi", text, false), 0u);
    EXPECT_EQ(text, std::string("a\0b", 3));
    std::map<std::string, uint32_t> names;
    EXPECT_EQ(listValueNames(path, names, false), 0u);
    const std::map<std::string, uint32_t> expected = {
        {"multi", REG_MULTI_SZ}, {"number", REG_DWORD}, {"text", REG_SZ}};
    EXPECT_EQ(names, expected);
}

TEST_F(Registry, WriteFailureSaysWhichKeyOnStandardOutput) {
    // A path with a leading backslash cannot be created.
    const std::string bad = "\\" + key.path();
    unsigned code = 0;
    const std::string output =
        captureStdout([&] { code = writeRegistryValue(bad, "Name", REG_SZ, "x", 1, false); });
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(output, "Failed to set key \"" + bad + "\"=\"Name\"");
    std::string silent = captureStdout(
        [&] { code = writeRegistryValue(key.path(), "Name", REG_SZ, "x", 1, false); });
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(silent, "");
}

TEST_F(Registry, ListValueNamesGivesEveryNameWithItsType) {
    const DWORD number = 1;
    const std::string longName(5000, 'n');
    key.setString("", "sz", "x");
    key.setString("", "expand", "x", REG_EXPAND_SZ);
    key.setBytes("", "multi", REG_MULTI_SZ, "x\0\0", 3);
    key.setBytes("", "dword", REG_DWORD, &number, 4);
    key.setBytes("", "binary", REG_BINARY, "x", 1);
    key.setString("", longName, "after a long name");
    key.setString("", "zz", "last");
    key.setString("sub", "hidden", "below");
    std::map<std::string, uint32_t> names = {{"stale", 0}};
    EXPECT_EQ(listValueNames(key.path(), names, false), 0u);
    const std::map<std::string, uint32_t> expected = {
        {"sz", REG_SZ},       {"expand", REG_EXPAND_SZ}, {"multi", REG_MULTI_SZ},
        {"dword", REG_DWORD}, {"binary", REG_BINARY},    {longName, REG_SZ},
        {"zz", REG_SZ}};
    EXPECT_EQ(names, expected);

    names = {{"stale", 0}};
    EXPECT_EQ(listValueNames(key.sub("sub\\none"), names, false), 2u);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(listValueNames(key.sub("sub"), names, false), 0u);
    EXPECT_EQ(names.size(), 1u);
}

TEST_F(Registry, ListSubKeysGivesEveryName) {
    const std::string longest(200, 'k');
    for (const std::string& name :
         {std::string("b"), std::string("a"), longest, std::string("with space")}) {
        key.setString(name, "v", "x");
    }
    key.setString("a\\grandchild", "v", "x");
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(listSubKeys(key.path(), names, false), 0u);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"a", "b", longest, "with space"};
    EXPECT_EQ(names, expected);

    names = {"stale"};
    EXPECT_EQ(listSubKeys(key.sub("b"), names, false), 0u);
    EXPECT_TRUE(names.empty());
    names = {"stale"};
    EXPECT_EQ(listSubKeys(key.sub("missing"), names, false), 2u);
    EXPECT_TRUE(names.empty());
}

TEST_F(Registry, SuiteKeyOverrideOnlyForAnExistingKey) {
    key.setString("", "Value", "from the override");
    useScratchAsSuiteKey();
    EXPECT_EQ(suiteKeyPath(""), key.path());
    EXPECT_EQ(suiteKeyPath("Client"), key.path());
    EXPECT_EQ(suiteKeyPath("Server"), key.path());
    std::string text;
    EXPECT_EQ(readSuiteValue("Value", text), 0u);
    EXPECT_EQ(text, "from the override");
    EXPECT_EQ(readClientValue("Value", text), 0u);
    EXPECT_EQ(readServerValue("Value", text), 0u);

    const std::string base = suiteKeyBase(kBuiltFor32Bits);
    for (const char* missing : {"Software\\StocksweepNoSuchKey", ""}) {
        ::SetEnvironmentVariableA("VELMAR_ENV", missing);
        const std::string path = suiteKeyPath("");
        EXPECT_EQ(path.compare(0, base.size(), base), 0) << path;
        text = "untouched";
        EXPECT_NE(readSuiteValue("Value", text), 0u);
        EXPECT_EQ(text, "untouched");
    }
}

TEST_F(Registry, SuiteKeyBaseNamesWow6432NodeUnderWow64) {
    EXPECT_EQ(isWow64(), kBuiltFor32Bits);
    const std::string expected =
        kBuiltFor32Bits ? "SOFTWARE\\Wow6432Node\\Velmar\\" : "SOFTWARE\\Velmar\\";
    const std::string path = suiteKeyPath("Client");
    EXPECT_EQ(path.compare(0, expected.size(), expected), 0) << path;
    EXPECT_EQ(path.find('\\', expected.size()), std::string::npos) << path;
    EXPECT_EQ(isWow64(), kBuiltFor32Bits) << "asked again";
}

TEST_F(Registry, SuiteWritersAndDwordReader) {
    useScratchAsSuiteKey();
    EXPECT_EQ(writeSuiteString("StocksweepLogCounter", "17"), 0u);
    std::string text;
    EXPECT_EQ(readSuiteValue("StocksweepLogCounter", text), 0u);
    EXPECT_EQ(text, "17");
    std::map<std::string, uint32_t> names;
    ASSERT_EQ(listValueNames(key.path(), names, false), 0u);
    EXPECT_EQ(names["StocksweepLogCounter"], static_cast<uint32_t>(REG_SZ));

    const DWORD level = 4;
    key.setBytes("", "StartupDebugLevel", REG_DWORD, &level, 4);
    uint32_t read = 0;
    EXPECT_EQ(readSuiteDword("StartupDebugLevel", read), 0u);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(readSuiteDword("StocksweepLogCounter", read), 3u);
    EXPECT_EQ(readSuiteDword("Missing", read), 2u);
    EXPECT_EQ(read, 4u);
}

TEST_F(Registry, ReferencesResolveAgainstSuiteValues) {
    useScratchAsSuiteKey();
    const DWORD number = 5;
    key.setString("", "Other", "C:\\Velmar");
    key.setString("", "Nested", "${Other}\\log");
    key.setBytes("", "Number", REG_DWORD, &number, 4);
    key.setString("", "Dir", "${Other}\\conf");
    key.setString("", "Twice", "${Nested}|${Missing}|${Number}|${Other}");
    key.setString("", "AtTheEnd", "x${");
    key.setString("elsewhere", "Text", "${Nested}\\${Other");
    struct Case {
        std::string key;
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {key.path(), "Dir", "C:\\Velmar\\conf"},
        {key.path(), "Twice", "C:\\Velmar\\log|${Missing}|${Number}|C:\\Velmar"},
        {key.path(), "AtTheEnd", "x${"},
        // The value lies elsewhere; what it refers to is a suite value.
        {key.sub("elsewhere"), "Text", "C:\\Velmar\\log\\${Other"},
    };
    for (const Case& c : cases) {
        std::string text;
        EXPECT_EQ(readRegistryString(c.key, c.name, text, false), 0u) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST_F(Registry, SelfAndMutualReferencesEndAtTheDepthBound) {
    useScratchAsSuiteKey();
    key.setString("", "Self", "x${Self}");
    key.setString("", "A", "a${B}");
    key.setString("", "B", "b${A}");
    std::string text;
    ASSERT_EQ(readSuiteValue("Self", text), 0u);
    EXPECT_EQ(text, std::string(kMaxReferenceDepth + 1, 'x') + "${Self}");

    std::string expected;
    for (unsigned i = 0; i <= kMaxReferenceDepth; ++i) expected += i % 2 == 0 ? 'a' : 'b';
    expected += "${B}";
    ASSERT_EQ(readSuiteValue("A", text), 0u);
    EXPECT_EQ(text, expected);
}

// The 32-bit view: HKEY_LOCAL_MACHINE\Software is the redirected part of the
// registry, so the key is written there, in the prefix; the scratch key removes
// its path from both views afterwards.
TEST_F(Registry, ThirtyTwoBitViewIsHonouredByEveryOperation) {
    ASSERT_TRUE(selectHive("HKEY_LOCAL_MACHINE"));
    ScratchKey machine("StocksweepSysInfoView", HKEY_LOCAL_MACHINE, true);
    const std::string path = machine.path();
    const DWORD number = 9;
    ASSERT_EQ(writeRegistryValue(path + "\\child", "text", REG_SZ, "in32", 4, true), 0u);
    ASSERT_EQ(writeRegistryValue(path, "number", REG_DWORD, &number, 4, true), 0u);

    std::string text;
    uint32_t read = 0;
    std::map<std::string, uint32_t> values;
    std::vector<std::string> keys;
    EXPECT_TRUE(keyExists(path, true));
    EXPECT_EQ(readRegistryString(path + "\\child", "text", text, true), 0u);
    EXPECT_EQ(text, "in32");
    EXPECT_EQ(readRegistryDword(path, "number", read, true), 0u);
    EXPECT_EQ(read, 9u);
    EXPECT_EQ(listValueNames(path, values, true), 0u);
    EXPECT_EQ(values.size(), 1u);
    EXPECT_EQ(listSubKeys(path, keys, true), 0u);
    EXPECT_EQ(keys, std::vector<std::string>{"child"});

    // Not there at the same path in the 64-bit view.
    UniqueHKey native;
    EXPECT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                              native.put()),
              ERROR_FILE_NOT_FOUND);

    if (kBuiltFor32Bits) {
        // Without the flag a 32-bit process sees its own view, the same one.
        EXPECT_TRUE(keyExists(path, false));
        EXPECT_EQ(readRegistryDword(path, "number", read, false), 0u);
    } else {
        EXPECT_FALSE(keyExists(path, false));
        EXPECT_EQ(readRegistryString(path + "\\child", "text", text, false), 2u);
        EXPECT_EQ(readRegistryDword(path, "number", read, false), 2u);
        EXPECT_EQ(listValueNames(path, values, false), 2u);
        EXPECT_EQ(listSubKeys(path, keys, false), 2u);
        // Written in the 64-bit view, it stays out of the 32-bit one.
        ASSERT_EQ(writeRegistryValue(path, "only64", REG_SZ, "x", 1, false), 0u);
        EXPECT_EQ(readRegistryString(path, "only64", text, true), 2u);
        EXPECT_EQ(readRegistryString(path, "only64", text, false), 0u);
    }
}

// The suite key is one for both builds: each build's tests run the other
// build's probe. The presets build into build/<preset>/, so the other build's
// test programs lie at ..\..\<preset>\tests\ from this one's. The key is
// made in the 32-bit view of HKEY_LOCAL_MACHINE\Software, the redirected part.
TEST_F(Registry, BothBuildsReachTheSameSuiteKey) {
    const std::string other = kBuiltFor32Bits ? "win64" : "win32";
    const std::string probe =
        testing::testProgramDir() + "..\\..\\" + other + "\\tests\\systeminfo_probe.exe";
    if (!testing::rawExists(probe)) {
        GTEST_SKIP() << "the " << other << " build's probe is not built (" << probe
                     << "); build the " << other << " preset to run this test";
    }
    ASSERT_TRUE(selectHive("HKEY_LOCAL_MACHINE"));
    ScratchKey machine("StocksweepSharedSuiteKey", HKEY_LOCAL_MACHINE, true);
    ::SetEnvironmentVariableA("VELMAR_ENV", machine.path().c_str());
    ASSERT_EQ(writeSuiteString("FromThisBuild", "written here"), 0u);
    testing::RunResult run{};
    try {
        run = testing::runProgram(
            probe, "\"write=FromOther=written by " + other + "\" read=FromThisBuild");
    } catch (const std::runtime_error& e) {
        GTEST_SKIP() << "the " << other << " build's probe does not start here: " << e.what();
    }
    // A machine that cannot run 32-bit programs may start the process and
    // lose it before the program's first line.
    if (run.exitCode != 0 && run.output.empty()) {
        GTEST_SKIP() << "the " << other << " build's probe did not run here (exit code "
                     << run.exitCode << ")";
    }
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("write(FromOther)=0\r\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("read(FromThisBuild)=0:written here\r\n"), std::string::npos)
        << run.output;
    std::string text;
    EXPECT_EQ(readSuiteValue("FromOther", text), 0u);
    EXPECT_EQ(text, "written by " + other);
    // Both in the one key of the 32-bit view.
    std::map<std::string, uint32_t> names;
    EXPECT_EQ(listValueNames(machine.path(), names, true), 0u);
    EXPECT_EQ(names.size(), 2u);
}

}  // namespace
}  // namespace Velmar
