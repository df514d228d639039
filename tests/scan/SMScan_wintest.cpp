#include "scan/SMScan.h"

#include "shared/library/files/FileOps.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace Velmar {

namespace {

using namespace testing;

const char kProfilePrefix[] = "ssweep-scan";
const char kVistaStartMenu[] = "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\";

// The scanner's Start menus that lie in `profile`, in the scanner's order.
std::vector<std::string> menusIn(const SMScan& scanner, const std::string& profile) {
    std::vector<std::string> ours;
    for (const std::string& path : scanner.startMenuPaths()) {
        if (path.compare(0, profile.size(), profile) == 0) ours.push_back(path);
    }
    return ours;
}

// The profile subfolders below are judged by their file counts: shortcuts
// ("lnk" exactly) against other files, one level deeper for folders with few files.
TEST(SMScanStartMenus, CountingRuleThenTheProfileAndCommonStartMenus) {
    ScratchDir profile(kProfilePrefix, profilesDirectory() + "\\");
    const std::string p = profile.path();
    for (const char* file :
         {"Menu3\\a.lnk",      "Menu3\\b.lnk",       "Menu3\\c.lnk",    "Menu3\\Tool.LNK",
          "Menu3\\readme.txt", "Two2\\a.lnk",        "Two2\\b.lnk",     "Two2\\x.txt",
          "Two2\\y.txt",       "Empty\\A\\x.txt",    "Empty\\B\\a.lnk", "Empty\\B\\b.lnk",
          "One5\\a.lnk",       "One5\\1.txt",        "One5\\2.txt",     "One5\\3.txt",
          "One5\\4.txt",       "One5\\5.txt",        "Caps\\A.LNK",     "Caps\\B.LNK",
          "Caps\\x.txt",       "NoFiles\\Sub\\x.txt"}) {
        profile.makeFile(file);
    }
    // Shortcuts below folders that are not examined deeper change nothing.
    for (const char* deep : {"Two2\\Deep\\", "One5\\Deep\\"}) {
        for (const char* name : {"1.lnk", "2.lnk", "3.lnk", "4.lnk", "5.lnk", "6.lnk"}) {
            profile.makeFile(std::string(deep) + name);
        }
    }
    profile.makeFile(std::string(kVistaStartMenu) + "Programs\\x.lnk");

    SMScan scanner;
    std::vector<std::string> ours = menusIn(scanner, p);
    ASSERT_FALSE(ours.empty());
    EXPECT_EQ(ours.back(), p + kVistaStartMenu);
    ours.pop_back();
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, (std::vector<std::string>{p + "Empty\\", p + "Menu3\\"}));

    // The common Start menu comes after every profile's.
    char common[MAX_PATH] = {};
    ASSERT_EQ(
        ::SHGetFolderPathA(nullptr, CSIDL_COMMON_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, common),
        S_OK);
    const std::vector<std::string>& all = scanner.startMenuPaths();
    if (rawExists(common)) {
        auto commonAt = std::find(all.begin(), all.end(), std::string(common) + "\\");
        auto vistaAt = std::find(all.begin(), all.end(), p + kVistaStartMenu);
        EXPECT_TRUE(commonAt != all.end() && commonAt > vistaAt) << common;
    }
}

// A Start menu with shortcuts in it and in a subfolder, walked with details.
class SMScanWalk : public ::testing::Test {
protected:
    void SetUp() override {
        SMScan::setLogger(log.unit);
        menu = profile.makeDir("Start Menu");
        makeShortcut(menu + "Blank.lnk", helperExe("ver_blanks"));
        makeShortcut(menu + "Blank Again.lnk", helperExe("ver_blanks"));
        makeShortcut(menu + "Ghost.lnk", "C:\\nowhere\\ghost.exe");
        makeShortcut(menu + "Tool.LNK", helperExe("ver_german"), "", "C:\\windows");
        profile.makeDir("Start Menu\\Folder A");
        makeShortcut(menu + "Folder A\\One.lnk", helperExe("ver_none"), "-a");
        makeShortcut(menu + "Folder A\\Two.lnk", helperExe("ver_none"), "-a");
        // Shortcuts to one program in two folders of a second Start menu.
        other = profile.makeDir("Other Menu");
        profile.makeDir("Other Menu\\Folder B");
        makeShortcut(other + "Four.lnk", helperExe("ver_none2"), "-c");
        makeShortcut(other + "Folder B\\Three.lnk", helperExe("ver_none2"), "-c");
    }
    void TearDown() override { SMScan::clearLogger(); }

    std::string key(const char* helper) { return lowered(helperExe(helper)); }

    LogRecorder log;
    ScratchDir profile{kProfilePrefix, profilesDirectory() + "\\"};
    std::string menu, other;
};

TEST_F(SMScanWalk, RecordsOfEveryShortcutToAnExistingExecutable) {
    SMScan scanner;
    std::vector<std::string> menus = menusIn(scanner, profile.path());
    std::sort(menus.begin(), menus.end());
    ASSERT_EQ(menus, (std::vector<std::string>{other, menu}));
    SMScan::ExeMap found;
    ASSERT_TRUE(scanner.scan(found, true));

    EXPECT_EQ(recordText(found[key("ver_blanks")]),
              "ver_blanks.exe|||Blank Tool|||Start Menu|4.0|");
    EXPECT_EQ(recordText(found[key("ver_german")]),
              "ver_german.exe|||Neutral Tool|C:\\windows||Start Menu|1.0.0.0|");
    // Two shortcuts with arguments in one folder: the name of neither is the program's.
    EXPECT_EQ(recordText(found[key("ver_none")]), "ver_none.exe|||||-a|Folder A||");
    // In two folders, the outcome depends on whether the folder is walked
    // before the other shortcut is seen: then that shortcut stands alone.
    bool fourFirst = false;
    for (const DirectoryEntry& entry : listDirectory(other, "*")) {
        if (entry.name == "Four.lnk") fourFirst = true;
        if (entry.name == "Folder B") break;
    }
    EXPECT_EQ(recordText(found[key("ver_none2")]),
              fourFirst ? "ver_none2.exe|||||-c|||" : "ver_none2.exe|Three||||-c|Folder B||")
        << fourFirst;
    EXPECT_EQ(found.count("c:\\nowhere\\ghost.exe"), 0u);

    EXPECT_TRUE(log.has("D5 SMScan: \"Tool.LNK\" is a link."));
    EXPECT_TRUE(log.has("D5 SMScan: \"C:\\nowhere\\ghost.exe\" does not exist."));
    EXPECT_TRUE(log.has("D5 SMScan: Not storing \"" + key("ver_blanks") + "\". Already exists."));
    EXPECT_TRUE(
        log.has("D5 SMScan: Got the following data for \"Tool.LNK\": \n"
                ">  Exename: \"ver_german.exe\"\n"
                ">  Description: \"Neutral Tool\"\n"
                ">  Menu name: \"Tool\"\n"
                ">  Menu folder: \"Start Menu\"\n"
                ">  Version: 1.0.0.0\n"
                ">  WDir: C:\\windows\n"
                ">  Args: "));

    // Without details a record carries the executable's name alone.
    SMScan::ExeMap plain;
    ASSERT_TRUE(SMScan().scan(plain, false));
    EXPECT_EQ(recordText(plain[key("ver_none")]), "ver_none.exe||||||||");
}

TEST_F(SMScanWalk, RefusesToScanOnAThreadWithoutItsCom) {
    SMScan scanner;
    SMScan::ExeMap found;
    bool scanned = true;
    std::thread([&] { scanned = scanner.scan(found, false); }).join();
    EXPECT_FALSE(scanned);
    EXPECT_TRUE(found.empty());
}

TEST_F(SMScanWalk, DoesNotFollowALinkToAFolderAboveIt) {
    const std::string loop = menu + "Folder A\\Loop";
    // Some systems answer success without making the link.
    const BOOL made =
        ::CreateSymbolicLinkA(loop.c_str(), menu.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD attributes = ::GetFileAttributesA(loop.c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "this system makes no directory links (symbolic links or junctions)";
    }
    SMScan scanner;
    SMScan::ExeMap found;
    ASSERT_TRUE(scanner.scan(found, false));
    EXPECT_TRUE(log.has("D5 SMScan: Not following \"Loop\": it is a link to another folder."));
    ::RemoveDirectoryA(loop.c_str());
}

TEST(SMScanShortcuts, ReadShortcutOutputs) {
    ensureScannerCom();
    ScratchDir dir("ssweep-lnk");
    const std::string text = dir.makeFile("notes.txt", "x");
    struct Case {
        const char* name;
        std::string target, arguments, workingDir;
        bool ok;
        std::string out;
    };
    const std::string blanks = helperExe("ver_blanks");
    const Case cases[] = {
        {"full.lnk", blanks, "-x \"a b\"", "C:\\windows", true,
         blanks + "|ver_blanks.exe|Blank Tool|4.0|C:\\windows|-x \"a b\""},
        {"bare.lnk", helperExe("ver_none"), "", "", true,
         helperExe("ver_none") + "|ver_none.exe||||"},
        {"missing.lnk", "C:\\nowhere\\ghost.exe", "", "", false, ""},
        {"text.lnk", text, "", "", false, ""},
    };
    for (const Case& c : cases) {
        makeShortcut(dir.path() + c.name, c.target, c.arguments, c.workingDir);
        std::string out;
        EXPECT_EQ(SMScanProbe::readShortcut(dir.path() + c.name, out), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(out, c.out) << c.name;
        }
    }
    const std::string garbage = dir.makeFile("garbage.lnk", "not a shortcut");
    std::string out;
    EXPECT_FALSE(SMScanProbe::readShortcut(garbage, out));
    EXPECT_FALSE(SMScanProbe::readShortcut(dir.path() + "absent.lnk", out));
}

}  // namespace
}  // namespace Velmar
