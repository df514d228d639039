#include "app/CandidatePath.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(CandidatePath, Cleaning) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Tool\\A.EXE", "c:\\program files\\tool\\a.exe"},
        {"\"C:\\Program Files\\Tool\\a.exe", "c:\\program files\\tool\\a.exe"},
        {"\"c:\\a b\\x.exe\" /s \"d:\\y.exe", "d:\\y.exe"},
        {"c:\\tool\\a.exe -run", "c:\\tool\\a.exe"},
        // Only a path that does not end with ".exe" is cut.
        {"c:\\tool\\a.exe -run c:\\b.exe", "c:\\tool\\a.exe -run c:\\b.exe"},
        {"c:\\tool\\a.exe.bak", "c:\\tool\\a.exe"},
        {"rundll32 c:\\w\\x.exe", "c:\\w\\x.exe"},
        // Of several drives, the last one before ".exe" starts the path; a
        // drive in the arguments after it does not.
        {"c:\\a\\x.dll;d:\\b\\y.exe", "d:\\b\\y.exe"},
        {"c:\\tool\\a.exe /log=d:\\x.txt", "c:\\tool\\a.exe"},
        // Dot segments go in a fully qualified path, never above its root;
        // a relative path keeps them.
        {"C:\\A\\.\\B\\..\\x.exe", "c:\\a\\x.exe"},
        {"c:\\..\\x.exe", "c:\\x.exe"},
        {"\\\\srv\\share\\..\\x.exe", "\\\\srv\\share\\x.exe"},
        {".\\tools\\..\\x.exe", ".\\tools\\..\\x.exe"},
        {"\\??\\C:\\w\\x.exe", "c:\\w\\x.exe"},
        {"c?\\w\\x.exe", "c:\\w\\x.exe"},
        {"c?x.exe", "c?x.exe"},
        {"c:\\\\w//x.exe", "c:\\w\\x.exe"},
        {"//srv/share/x.exe", "/\\srv\\share\\x.exe"},
        {"a.exe", "a.exe"},
        {"x.exe", "x.exe"},
        {".EXE1", ".exe"},  // five characters are enough to be cut
        {"c:\\no extension", "c:\\no extension"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(cleanCandidatePath(c.first), c.second);
    }
}

TEST(CandidatePath, FullyQualified) {
    const std::pair<const char*, bool> cases[] = {
        {"c:\\a.exe", true},
        {"c:/a.exe", true},
        {"\\\\srv\\s\\a.exe", true},
        {"/\\srv\\a.exe", true},
        {"tools\\a.exe", false},
        {"\\a.exe", false},
        {"c:a.exe", false},
        {"a.exe", false},
        {"c:", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isFullyQualified(c.first), c.second) << c.first;
}

}  // namespace
}  // namespace Velmar
