#include "scan/StartMenuRules.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(StartMenuRules, ExtensionsAndMenuNames) {
    for (const char* exe : {"C:\\x\\NOTEPAD.EXE", "notepad.exe", "a\\Notepad.Exe", ".exe"}) {
        EXPECT_TRUE(hasExtensionInAnyCase(exe, "exe")) << exe;
    }
    for (const char* other : {"setup.exe.bak", "tool.ex", "exe", "C:\\a.exe\\b", "x.exe "}) {
        EXPECT_FALSE(hasExtensionInAnyCase(other, "exe")) << other;
    }
    EXPECT_EQ(menuNameOf("Foo Tool.lnk"), "Foo Tool");
    EXPECT_EQ(menuNameOf("v1.2 Tool.LNK"), "v1.2 Tool");
    EXPECT_EQ(menuNameOf("Readme"), "Readme");
}

TEST(StartMenuRules, FolderVerdictFromFileCounts) {
    using V = FolderVerdict;
    const struct {
        int links, others;
        V verdict;
    } cases[] = {
        {1, 0, V::StartMenu},  {4, 3, V::StartMenu},    {3, 3, V::NotStartMenu},
        {2, 3, V::LookDeeper}, {2, 2, V::NotStartMenu}, {1, 4, V::LookDeeper},
        {0, 0, V::LookDeeper}, {1, 5, V::NotStartMenu}, {0, 9, V::NotStartMenu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(judgeFolder(c.links, c.others), c.verdict) << c.links << " " << c.others;
    }
}

}  // namespace
}  // namespace Velmar
