#include "shared/library/files/FileOps.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/common/WinHandle.h"
#include "tests/support/ScratchDirTest.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::rawExists;
using testing::readFile;
using testing::writeFile;

bool equalsIgnoringCase(std::string a, std::string b) {
    toLowerCase(a);
    toLowerCase(b);
    return a == b;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

FILETIME fileTimeOf(int64_t unixSeconds) {
    uint64_t ticks = static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

void setTimes(const std::string& path, FILETIME accessed, FILETIME written) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueFileHandle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, &accessed, &written));
}

// The scratch directory is set up and checked with the plain API rather than
// the functions under test.
class FileOpsTest : public testing::ScratchDirTest {
protected:
    FileOpsTest() : ScratchDirTest("stocksweep-fileops") {}
};

TEST_F(FileOpsTest, CopyFileHonoursOverwrite) {
    writeFile(at("src"), "source");
    writeFile(at("dst"), "target");
    EXPECT_FALSE(copyFile(at("src"), at("dst"), false));
    EXPECT_EQ(readFile(at("dst")), "target");
    EXPECT_TRUE(copyFile(at("src"), at("dst"), true));
    EXPECT_EQ(readFile(at("dst")), "source");
    EXPECT_TRUE(copyFile(at("src"), at("new"), false));
    EXPECT_EQ(readFile(at("new")), "source");
    EXPECT_EQ(readFile(at("src")), "source");
    EXPECT_FALSE(copyFile(at("missing"), at("other"), true));
    EXPECT_FALSE(rawExists(at("other")));
}

TEST_F(FileOpsTest, MoveFileSucceedsAndClearsLastSystemError) {
    writeFile(at("a"), "first");
    writeFile(at("b"), "second");
    // To a new name, then with overwrite onto an existing one.
    const struct {
        const char* from;
        const char* to;
        bool overwrite;
    } moves[] = {{"a", "c", false}, {"c", "b", true}};
    for (const auto& m : moves) {
        lastSystemError = 12345;
        EXPECT_TRUE(moveFile(at(m.from), at(m.to), m.overwrite)) << m.to;
        EXPECT_EQ(lastSystemError, 0u);
        EXPECT_FALSE(rawExists(at(m.from)));
        EXPECT_EQ(readFile(at(m.to)), "first");
    }
}

// The pauses between move attempts, recorded instead of slept; the pause
// numbered `clearTargetAt` removes the target, as another process might.
struct RecordedPauses {
    std::vector<uint32_t> pauses;
    size_t clearTargetAt = 0;
    std::string target;
};
RecordedPauses recorded;

void recordPause(uint32_t milliseconds) {
    recorded.pauses.push_back(milliseconds);
    if (recorded.pauses.size() == recorded.clearTargetAt) ::DeleteFileA(recorded.target.c_str());
}

TEST_F(FileOpsTest, MoveFileOntoExistingTargetRetriesEveryTwoSecondsSixTimes) {
    const MovePause previous = setMovePause(recordPause);
    struct Case {
        size_t clearTargetAt;  // 0: never
        bool moved;
        std::vector<uint32_t> pauses;
    };
    const Case cases[] = {
        {0, false, std::vector<uint32_t>(5, 2000)},
        {2, true, {2000, 2000}},
        {5, true, std::vector<uint32_t>(5, 2000)},
    };
    for (const Case& c : cases) {
        writeFile(at("from"), "from");
        writeFile(at("to"), "to");
        recorded = RecordedPauses{{}, c.clearTargetAt, at("to")};
        lastSystemError = 0;
        EXPECT_EQ(moveFile(at("from"), at("to"), false), c.moved) << c.clearTargetAt;
        EXPECT_EQ(recorded.pauses, c.pauses) << c.clearTargetAt;
        if (c.moved) {
            EXPECT_EQ(lastSystemError, 0u);
            EXPECT_FALSE(rawExists(at("from")));
            EXPECT_EQ(readFile(at("to")), "from");
        } else {
            EXPECT_TRUE(lastSystemError == ERROR_ALREADY_EXISTS ||
                        lastSystemError == ERROR_FILE_EXISTS)
                << lastSystemError;
            EXPECT_EQ(readFile(at("from")), "from");
            EXPECT_EQ(readFile(at("to")), "to");
        }
    }
    EXPECT_EQ(setMovePause(previous), recordPause);
}

TEST_F(FileOpsTest, DeleteFileWithAndWithoutForce) {
    writeFile(at("plain"), "x");
    EXPECT_TRUE(deleteFile(at("plain")));
    EXPECT_FALSE(rawExists(at("plain")));
    EXPECT_FALSE(deleteFile(at("plain")));
    EXPECT_FALSE(deleteFile(at("plain"), true));

    writeFile(at("ro"), "x");
    ASSERT_TRUE(::SetFileAttributesA(at("ro").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(deleteFile(at("ro"), false));
    EXPECT_TRUE(rawExists(at("ro")));
    EXPECT_TRUE(deleteFile(at("ro"), true));
    EXPECT_FALSE(rawExists(at("ro")));

    writeFile(at("rw"), "x");
    EXPECT_TRUE(deleteFile(at("rw"), false));
    EXPECT_FALSE(rawExists(at("rw")));
}

TEST_F(FileOpsTest, MakeDirectoriesCreatesEveryMissingLevel) {
    EXPECT_TRUE(makeDirectories(""));
    EXPECT_TRUE(makeDirectories("name-without-directory.txt"));
    EXPECT_TRUE(makeDirectories(at("a\\b\\c\\file.txt")));
    EXPECT_TRUE(rawExists(at("a\\b\\c")));
    EXPECT_FALSE(rawExists(at("a\\b\\c\\file.txt")));
    // A trailing separator names a directory; runs of mixed separators are read too.
    EXPECT_TRUE(makeDirectories(at("x/y\\/z//")));
    EXPECT_TRUE(rawExists(at("x\\y\\z")));
    EXPECT_TRUE(makeDirectories(at("a\\b\\c\\")));  // all present already
    EXPECT_TRUE(createDirectory(at("one")));
    EXPECT_FALSE(createDirectory(at("one")));
    EXPECT_FALSE(createDirectory(at("two\\three")));
    // Below a file nothing can be created.
    writeFile(at("f"), "x");
    EXPECT_FALSE(makeDirectories(at("f\\sub\\g.txt")));
    EXPECT_FALSE(rawExists(at("f\\sub")));
    // Relative to the current directory.
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
    EXPECT_TRUE(makeDirectories("rel\\inner\\"));
    EXPECT_TRUE(rawExists(at("rel\\inner")));
}

TEST_F(FileOpsTest, GetFileInfoOfFileAndDirectory) {
    writeFile(at("data.bin"), std::string("12345\0\r\n", 8));
    // Wine keeps no creation time of its own (it reports another of the file's
    // times), so only the access and write times are set and checked.
    setTimes(at("data.bin"), fileTimeOf(4102444800), fileTimeOf(1000000000));  // 2100, 2001
    ASSERT_TRUE(::SetFileAttributesA(at("data.bin").c_str(),
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));

    FileInfo info;
    ASSERT_TRUE(getFileInfo("data.bin", info));
    EXPECT_TRUE(info.exists);
    EXPECT_TRUE(equalsIgnoringCase(info.fullPath, at("data.bin"))) << info.fullPath;
    EXPECT_EQ(info.size, 8u);
    EXPECT_EQ(info.attributes & (kAttrHidden | kAttrReadOnly | kAttrDirectory),
              kAttrHidden | kAttrReadOnly);
    EXPECT_EQ(info.written.getSeconds(), 1000000000);  // 2001-09-09 01:46:40 UTC
    EXPECT_EQ(info.accessed.getSeconds(), 0);          // past the 32-bit range
    EXPECT_EQ(fileSize("data.bin"), 8u);

    setTimes(at("data.bin"), fileTimeOf(0x7FFFFFFF), fileTimeOf(-86400 * 365));
    ASSERT_TRUE(getFileInfo(at("data.bin"), info));
    EXPECT_EQ(info.accessed.getSeconds(), 0x7FFFFFFF);  // the last second that fits
    EXPECT_EQ(info.written.getSeconds(), 0);            // 1969: before the range

    writeFile(at("sub.dir"), "");
    ASSERT_TRUE(::CreateDirectoryA(at("folder").c_str(), nullptr));
    ASSERT_TRUE(getFileInfo(at("folder"), info));
    EXPECT_TRUE(info.attributes & kAttrDirectory);
    EXPECT_EQ(info.size, 0u);
    ASSERT_TRUE(getFileInfo(at("sub.dir"), info));
    EXPECT_FALSE(info.attributes & kAttrDirectory);
    EXPECT_EQ(info.size, 0u);
}

TEST_F(FileOpsTest, GetFileInfoReportsMissingAndUnopenableFilesAsFailures) {
    const std::string missingNames[] = {at("missing"), "", at("*"), at("dat?.bin"), at("folder\\")};
    ASSERT_TRUE(::CreateDirectoryA(at("folder").c_str(), nullptr));
    writeFile(at("data.bin"), "x");
    for (const std::string& name : missingNames) {
        FileInfo info;
        info.size = 99;
        EXPECT_FALSE(getFileInfo(name, info)) << name;
        EXPECT_FALSE(info.exists) << name;
        EXPECT_EQ(info.size, 0u) << name;
        EXPECT_EQ(fileSize(name), 0u) << name;
    }
    // A file held open without sharing is found but cannot be opened for its size.
    UniqueFileHandle locked(::CreateFileA(at("data.bin").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked.valid());
    FileInfo info;
    EXPECT_FALSE(getFileInfo(at("data.bin"), info));
    EXPECT_FALSE(pathExists(at("data.bin")));
    locked.reset();
    EXPECT_TRUE(pathExists(at("data.bin")));
}

TEST_F(FileOpsTest, FileSizeBeyondFourGigabytes) {
    const uint64_t size = (5ULL << 30) + 3;
    {
        UniqueFileHandle file(::CreateFileA(at("big").c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.valid());
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
        if (!::SetEndOfFile(file.get())) GTEST_SKIP() << "no room for a sparse 5 GiB file";
    }
    EXPECT_EQ(fileSize(at("big")), size);
}

TEST_F(FileOpsTest, SetAttributesMapsSettableBitsOnly) {
    writeFile(at("f"), "x");
    ASSERT_TRUE(setAttributes(at("f"), kAttrReadOnly | kAttrHidden | kAttrDirectory | kAttrSparse));
    DWORD attrs = ::GetFileAttributesA(at("f").c_str());
    EXPECT_EQ(attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY |
                       FILE_ATTRIBUTE_SPARSE_FILE),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    FileInfo info;
    ASSERT_TRUE(getFileInfo(at("f"), info));
    EXPECT_EQ(info.attributes & (kAttrReadOnly | kAttrHidden), kAttrReadOnly | kAttrHidden);

    ASSERT_TRUE(setAttributes(at("f"), kAttrNormal));
    attrs = ::GetFileAttributesA(at("f").c_str());
    EXPECT_FALSE(attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(setAttributes(at("f"), kAttrDirectory));  // nothing settable: normal
    EXPECT_FALSE(::GetFileAttributesA(at("f").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(setAttributes(at("missing"), kAttrHidden));
}

TEST_F(FileOpsTest, PathExistsForFilesDirectoriesAndDrives) {
    writeFile(at("f.txt"), "x");
    const std::pair<std::string, bool> cases[] = {
        {at("f.txt"), true},
        {dir_, true},
        {dir_ + "\\", true},
        {dir_ + "\\\\", false},  // only one trailing backslash is removed
        {at("missing.txt"), false},
        {"", false},
        {"\\", false},
        {"x", false},
        {"C:", true},
        {"C:\\", true},
        {"c:", true},
        {":", false},
    };
    for (const auto& c : cases) EXPECT_EQ(pathExists(c.first), c.second) << c.first;

    DWORD drives = ::GetLogicalDrives();
    char unused = 0;
    for (char letter = 'Q'; letter <= 'Z' && unused == 0; ++letter) {
        if (!(drives & (1u << (letter - 'A')))) unused = letter;
    }
    ASSERT_NE(unused, 0) << "every drive letter from Q to Z is in use";
    EXPECT_FALSE(pathExists(std::string(1, unused) + ":"));
    EXPECT_FALSE(pathExists(std::string(1, unused) + ":\\"));
}

TEST_F(FileOpsTest, CurrentDirectoryEndsInBackslash) {
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
    EXPECT_EQ(currentDirectory(), dir_ + "\\");
    ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(currentDirectory(), "C:\\");
}

TEST_F(FileOpsTest, ExpandPathPrefix) {
    char windows[MAX_PATH + 1];
    UINT n = ::GetWindowsDirectoryA(windows, sizeof windows);
    ASSERT_GT(n, 0u);
    char windir[MAX_PATH + 1];
    DWORD m = ::GetEnvironmentVariableA("windir", windir, sizeof windir);
    ASSERT_GT(m, 0u);
    const std::string longValue(1000, 'v');
    ASSERT_TRUE(::SetEnvironmentVariableA("STOCKSWEEP_FILEOPS_LONG", longValue.c_str()));

    struct Case {
        std::string component;
        bool ok;
        std::string out;
    };
    const Case cases[] = {
        {"/c:", true, "c:"},
        {"\\c:", true, "c:"},
        {"\\C:", false, ""},
        {"c:", false, ""},
        {"%windir%", true, std::string(windir, m)},
        {"%WINDIR%", true, std::string(windir, m)},
        {"%STOCKSWEEP_FILEOPS_LONG%", true, longValue},
        {"%stocksweep_no_such_variable%", false, ""},
        {"%%", false, ""},
        {"%", false, ""},
        {"%windir", false, ""},
        {"\\systemroot", true, std::string(windows, n)},
        {"/systemroot", true, std::string(windows, n)},
        {"\\SystemRoot", false, ""},
        {"\\systemroot\\", false, ""},
        {"\\??", true, ""},
        {"/??", true, ""},
        {"\\?", false, ""},
        {"", false, ""},
        {"x", false, ""},
        {"C:\\Windows", false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(expandPathPrefix(c.component, out), c.ok) << c.component;
        EXPECT_EQ(out, c.ok ? c.out : "untouched") << c.component;
    }
    ::SetEnvironmentVariableA("STOCKSWEEP_FILEOPS_LONG", nullptr);
}

class ResolveStoredPathTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        ASSERT_TRUE(::CreateDirectoryA(at("Mixed Case Dir").c_str(), nullptr));
        longPath_ = at("Mixed Case Dir\\Long File Name.Text");
        writeFile(longPath_, "x");
    }
    std::string longPath_;
};

TEST_F(ResolveStoredPathTest, ShortAndLowerCasedNamesGiveStoredLongNames) {
    char buf[MAX_PATH + 1];
    DWORD n = ::GetShortPathNameA(longPath_.c_str(), buf, sizeof buf);
    ASSERT_GT(n, 0u);
    std::string shortPath(buf, n);
    std::string shortName = fileName(shortPath);
    // The system gives the file an 8.3 alias that differs from its long name.
    EXPECT_NE(shortName, "Long File Name.Text");
    EXPECT_LE(shortName.size(), 12u) << shortName;
    EXPECT_NE(shortName.find('~'), std::string::npos) << shortName;

    std::string lowered = shortPath;
    toLowerCase(lowered);
    EXPECT_TRUE(pathExists(lowered)) << lowered;
    std::string resolved = resolveStoredPath(lowered);
    EXPECT_TRUE(endsWith(resolved, "\\Mixed Case Dir\\Long File Name.Text")) << resolved;
    EXPECT_TRUE(equalsIgnoringCase(resolved, longPath_)) << resolved;
    EXPECT_EQ(resolved.substr(0, 3), "c:\\") << "a drive is taken as written";

    // Enclosing quotes go; a trailing separator of the result goes.
    EXPECT_EQ(resolveStoredPath("\"" + lowered + "\""), resolved);
    std::string dirLowered = at("mixed case dir\\");
    toLowerCase(dirLowered);
    EXPECT_TRUE(endsWith(resolveStoredPath(dirLowered), "\\Mixed Case Dir")) << dirLowered;

    // Relative to the current directory, with forward slashes.
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
    EXPECT_EQ(resolveStoredPath("mixed case dir/long file name.text"),
              "Mixed Case Dir\\Long File Name.Text");
}

TEST_F(ResolveStoredPathTest, MissingComponentCarriesRestAsWritten) {
    const std::pair<const char*, const char*> tails[] = {
        {"\\No Such\\more/Rest.TXT", "\\No Such\\more/Rest.TXT"},
        // One backslash between the resolved part and the rest, whatever the separators were.
        {"//\\no such", "\\no such"},
        // A wildcard matches nothing: it would name another entry.
        {"\\long*", "\\long*"},
        // "." and ".." stay as written and the walk goes on after them.
        {"\\.\\..\\mixed case dir", "\\.\\..\\Mixed Case Dir"},
    };
    for (const auto& t : tails) {
        const std::string resolved = resolveStoredPath(at("mixed case dir") + t.first);
        EXPECT_TRUE(endsWith(resolved, std::string("\\Mixed Case Dir") + t.second)) << resolved;
    }

    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
    EXPECT_EQ(resolveStoredPath("nothing here\\x"), "nothing here\\x");
    EXPECT_EQ(resolveStoredPath("\\nothing here\\x\\"), "\\nothing here\\x");
}

TEST_F(ResolveStoredPathTest, SpecialShapes) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},      {"\\\\", "\\\\"}, {"\"\"", "\"\""},
        {"\"", "\""},  {"C:\\", "C:"},   {"C:", "C:"},
        {"q:/", "q:"}, {"\\", ""},       {"\\\\server\\share\\x", "\\\\server\\share\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(resolveStoredPath(c.first), c.second) << c.first;
}

TEST_F(FileOpsTest, ListDirectoryIncludesDotEntries) {
    writeFile(at("a.txt"), "x");
    writeFile(at("b.log"), "x");
    ASSERT_TRUE(::CreateDirectoryA(at("sub").c_str(), nullptr));

    for (const std::string& dir : {dir_, dir_ + "\\", dir_ + "/"}) {
        std::vector<DirectoryEntry> entries = listDirectory(dir, "*");
        std::vector<std::pair<std::string, bool>> got;
        for (const DirectoryEntry& e : entries) got.emplace_back(e.name, e.isDirectory);
        std::sort(got.begin(), got.end());
        const std::vector<std::pair<std::string, bool>> expected = {
            {".", true}, {"..", true}, {"a.txt", false}, {"b.log", false}, {"sub", true}};
        EXPECT_EQ(got, expected) << dir;
    }
    std::vector<DirectoryEntry> txt = listDirectory(dir_, "*.txt");
    ASSERT_EQ(txt.size(), 1u);
    EXPECT_EQ(txt[0].name, "a.txt");
    EXPECT_FALSE(txt[0].isDirectory);
    EXPECT_TRUE(listDirectory(dir_, "*.none").empty());
    EXPECT_TRUE(listDirectory(at("missing"), "*").empty());

    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.c_str()));
    std::vector<DirectoryEntry> here = listDirectory("", "b.*");
    ASSERT_EQ(here.size(), 1u);
    EXPECT_EQ(here[0].name, "b.log");
}

}  // namespace
}  // namespace Velmar
