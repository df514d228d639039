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

}  // namespace
}  // namespace Velmar
