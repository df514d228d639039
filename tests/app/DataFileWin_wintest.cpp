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

}  // namespace
}  // namespace Velmar
