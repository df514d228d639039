#include "app/CandidateFilesWin.h"
#include "app/DataFileWin.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(DataFileWin, RewritesAndCutsInPlace) {
    testing::ScratchDir dir("StocksweepData");
    const std::string path = dir.makeFile("inventory-1.data", "old content, longer than the new");
    DataFileWin file;
    ASSERT_TRUE(file.open(path));
    EXPECT_TRUE(file.write("abc"));
    EXPECT_TRUE(file.write("defg"));
    // Readable while open, and written through: no buffer holds the bytes back.
    EXPECT_EQ(testing::readFile(path), "abcdefg");
    EXPECT_TRUE(file.seek(3));
    EXPECT_TRUE(file.write("XY"));
    EXPECT_TRUE(file.truncate(5));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(testing::readFile(path), "abcXY");

    EXPECT_FALSE(file.open(dir.path() + "no\\such\\dir\\x.data"));
    EXPECT_EQ(file.lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(CandidateFilesWin, SearchPathLookup) {
    CandidateFilesWin files;
    std::string found = "untouched";
    EXPECT_FALSE(files.findOnSearchPath("no-such-program-anywhere.exe", found));
    EXPECT_EQ(found, "untouched");
    ASSERT_TRUE(files.findOnSearchPath("notepad.exe", found));
    std::string lower = found;
    for (char& c : lower) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    // The system directory of the process's own view comes first.
    const std::string tail = "\\notepad.exe";
    ASSERT_GT(lower.size(), tail.size() + 2) << found;
    EXPECT_EQ(lower.substr(1, 10), ":\\windows\\") << found;
    EXPECT_EQ(lower.substr(lower.size() - tail.size()), tail) << found;
}

}  // namespace
}  // namespace Velmar
