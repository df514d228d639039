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
        // One character in front of the drive is the least that goes.
        {"xc:\\w\\x.exe", "c:\\w\\x.exe"},
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

TEST(CandidatePath, ExecutablePathInAWideText) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\"C:\\\u05D0\\a.exe", u"C:\\\u05D0\\a.exe"},
        {u"rundll32 d:\\\u05D0\\B.EXE,Main", u"d:\\\u05D0\\B.EXE"},
        {u"xc:\\\u4E2D.Exe", u"c:\\\u4E2D.Exe"},
        {u"c:\\a\\x.dll;d:\\\u05D0.exe /log=e:\\l.txt", u"d:\\\u05D0.exe"},
        {u"\\\\srv\\\u05D0\\x.exe /s", u"\\\\srv\\\u05D0\\x.exe"},
        {u"\"C:\\\u05D0\\a.exe\" /x", u" /x"},  // as the 8-bit cleaning: all to the last quote goes
        {u"\u05D0", u"\u05D0"},
    };
    for (const auto& c : cases) EXPECT_TRUE(executablePathIn(c.first) == c.second);
}

TEST(CandidatePath, NetworkSharesAndDriveLetters) {
    const std::pair<const char*, bool> shares[] = {
        {"\\\\srv\\share\\x.exe", true},   {"/\\srv\\share\\x.exe", true},
        {"\\\\?\\unc\\srv\\s\\x.exe", true}, {"\\\\.\\UNC\\srv\\s\\x.exe", true},
        {"\\\\?/unc/srv/s/x.exe", true},    {"\\\\?\\volume{1}\\x.exe", false},
        {"\\\\?\\uncle\\x.exe", false},   {"\\\\.\\unc", false},
        {"\\\\?\\unc", false},             {"\\x.exe", false},
        {"c:\\srv\\x.exe", false},          {"\\\\", true},
    };
    for (const auto& c : shares) EXPECT_EQ(namesNetworkShare(c.first), c.second) << c.first;
    const std::pair<const char*, char> drives[] = {
        {"y:\\a.exe", 'y'}, {"Y:/a.exe", 'y'},  {"y:a.exe", '\0'}, {"1:\\a.exe", '\0'},
        {"y:", '\0'},        {"@:\\a", '\0'},   {"[:\\a", '\0'},   {"a:\\", 'a'},
        {"Z:\\", 'z'},      {"\\\\y:\\", '\0'},
    };
    for (const auto& c : drives) EXPECT_EQ(driveLetter(c.first), c.second) << c.first;
}

}  // namespace
}  // namespace Velmar
