#include "scan/StartMenuRules.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(StartMenuRules, JudgeFolderByItsFileCounts) {
    struct Case {
        int links, others;
        FolderVerdict verdict;
    };
    const Case cases[] = {
        {3, 2, FolderVerdict::StartMenu},    {1, 0, FolderVerdict::StartMenu},
        {2, 2, FolderVerdict::NotStartMenu}, {1, 5, FolderVerdict::NotStartMenu},
        {0, 5, FolderVerdict::NotStartMenu}, {5, 5, FolderVerdict::NotStartMenu},
        {0, 0, FolderVerdict::LookDeeper},   {1, 4, FolderVerdict::LookDeeper},
        {1, 1, FolderVerdict::LookDeeper},   {2, 3, FolderVerdict::LookDeeper},
        {4, 90, FolderVerdict::LookDeeper},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(judgeFolder(c.links, c.others), c.verdict) << c.links << "/" << c.others;
    }
}

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

TEST(StartMenuRules, ShortcutDetailsText) {
    EXPECT_EQ(shortcutDetailsText({"Foo.lnk", "foo.exe", "Foo Tool", "Foo", "Tools", "1.0",
                                   "C:\\w", "-x"}),
              "SMScan: Got the following data for \"Foo.lnk\": \n"
              ">  Exename: \"foo.exe\"\n"
              ">  Description: \"Foo Tool\"\n"
              ">  Menu name: \"Foo\"\n"
              ">  Menu folder: \"Tools\"\n"
              ">  Version: 1.0\n"
              ">  WDir: C:\\w\n"
              ">  Args: -x");
}

}  // namespace
}  // namespace Velmar
