#include "app/RegistryText.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(RegistryText, ExeMarkers) {
    struct Case {
        const char* text;
        bool marked;
    };
    const Case cases[] = {
        {"tool.exe", true},  {"TOOL.EXE", true}, {"Tool.Exe", false},
        {"tool.eXE", false}, {"exe", false},     {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(hasExeMarker(c.text), c.marked) << c.text;
}

TEST(RegistryText, SplittingIntoPaths) {
    using Paths = std::vector<std::string>;
    struct Case {
        std::string text;
        Paths paths;
    };
    const Case cases[] = {
        {"\"C:\\a b\\x.exe\" /q \"D:\\y.exe\" -z", {"\"C:\\a b\\x.exe", "\" /q \"D:\\y.exe"}},
        {std::string("c:\\a.exe\0  d:\\b.exe \0\0", 22), {"c:\\a.exe", "d:\\b.exe"}},
        {std::string("C:\\A.EXE\0c:\\b.exe", 17), {"C:\\A.EXE", "c:\\b.exe"}},
        // One piece: ".exe" wins over ".EXE", so the upper-case path stays glued.
        {"C:\\A.EXE c:\\b.exe x", {"C:\\A.EXE c:\\b.exe"}},
        {"  x.exe.exe  ", {"x.exe", ".exe"}},
        {"C:\\Tool.Exe", {}},
        {"no path", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(splitExecutablePaths(c.text), c.paths);
        // The same cut in UTF-16.
        const std::u16string wide(c.text.begin(), c.text.end());
        std::vector<std::u16string> widePaths;
        for (const std::string& path : c.paths) widePaths.emplace_back(path.begin(), path.end());
        EXPECT_EQ(splitExecutablePaths(wide), widePaths);
        EXPECT_EQ(hasExeMarker(wide), hasExeMarker(c.text));
    }
    // Characters outside any 8-bit code page stay in their path.
    EXPECT_EQ(splitExecutablePaths(std::u16string(u" \"C:\\\u05D0\\a.EXE\" \u4E2D.EXE ")),
              (std::vector<std::u16string>{u"\"C:\\\u05D0\\a.EXE", u"\" \u4E2D.EXE"}));
}

}  // namespace
}  // namespace Velmar
