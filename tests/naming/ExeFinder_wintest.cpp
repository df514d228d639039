#include "naming/ExeFinder.h"

#include "shared/library/system/Wow64.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

using namespace testing;

TEST(ExeFinder, ReadsEachPathOnceInAnyLetterCase) {
    LogRecorder log;
    ExeFinder finder(log.unit);
    const std::string path = helperExe("ver_blanks");
    const std::string key = lowered(path);
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    EXPECT_EQ(finder.getApplicationName(path), "Blank Tool");
    EXPECT_EQ(finder.getApplicationName(key), "Blank Tool");
    EXPECT_EQ(finder.getApplicationName(upper), "Blank Tool");
    EXPECT_EQ(finder.getApplicationName(""), ExeFinder::kUndefinedName);
    EXPECT_EQ(finder.getApplicationName(std::string(1, '\0') + "x.exe"), "[UNDEFINED]");
    // The file is read once; each answer names the version text it came from.
    const std::string named =
        "D5 ExeFinder: Product name/description \"ver_blanks.exe\" to \"Blank Tool\".\n";
    EXPECT_EQ(log.take(),
              "D2 ExeFinder: Created.\n"
              "D5 ExeFinder: No information stored about \"" +
                  key + "\". Checking file directly.\n" + named + "D5 ExeFinder: Stored \"" + key +
                  "\" = \"Blank Tool\" for future references.\n" + named + named);
}

TEST(ExeFinder, NamesWithoutVersionResourceAndIgnoredOnes) {
    LogRecorder log;
    ExeFinder finder(log.unit);
    finder.setMappings({{"ver_none", {"", Ignore}}});
    const std::string ignored = helperExe("ver_none");
    EXPECT_EQ(finder.getApplicationName(ignored), "!");
    EXPECT_TRUE(log.has("D5 ExeFinder: Ignoring \"" + lowered(ignored) + "\".")) << log.take();
    EXPECT_EQ(finder.getApplicationName("C:\\Nowhere\\Ghost.Tool.EXE"), "Ghost.Tool");
    EXPECT_EQ(log.lastLine(),
              "D5 ExeFinder: No information found for \"c:\\nowhere\\ghost.tool.exe\". Using "
              "\"Ghost.Tool\".");
}

// A 32-bit process on 64-bit Windows sees the 32-bit system folder under the
// name of the real one; the resolver looks at the real one, and only for the
// time of the lookup.
TEST(ExeFinder, LooksPastFileSystemRedirection) {
    if (!isWow64()) GTEST_SKIP() << "not a 32-bit process under WOW64";
    char system[MAX_PATH] = {};
    ASSERT_NE(::GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string name = "ssweep-wow-" + std::to_string(::GetCurrentProcessId()) + ".exe";
    const std::string path = std::string(system) + "\\" + name;
    PVOID old = nullptr;
    ASSERT_TRUE(::Wow64DisableWow64FsRedirection(&old));
    const bool copied = ::CopyFileA(helperExe("ver_blanks").c_str(), path.c_str(), FALSE) != 0;
    ::Wow64RevertWow64FsRedirection(old);
    ASSERT_TRUE(copied);
    ASSERT_FALSE(rawExists(path)) << "the copy is visible through redirection";

    LogRecorder log;
    ExeFinder finder(log.unit);
    EXPECT_EQ(finder.getApplicationName(path), "Blank Tool");
    EXPECT_FALSE(rawExists(path)) << "redirection was left off";

    ::Wow64DisableWow64FsRedirection(&old);
    ::DeleteFileA(path.c_str());
    ::Wow64RevertWow64FsRedirection(old);
}

}  // namespace
}  // namespace Velmar
