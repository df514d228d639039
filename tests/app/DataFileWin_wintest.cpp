#include "app/DataFileWin.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Velmar {
namespace {

TEST(DataFileWin, WritesInPlaceAndIsNamedWithoutReplacing) {
    testing::ScratchDir dir("StocksweepData");
    const std::string taken = dir.makeFile("inventory-1.data", "a collector's file");
    DataFileWin file;
    ASSERT_TRUE(file.open(dir.path() + "inventory.7.partial"));
    EXPECT_TRUE(file.write("abc"));
    EXPECT_TRUE(file.write("defg"));
    // Readable while open, and written through: no buffer holds the bytes back.
    EXPECT_EQ(testing::readFile(dir.path() + "inventory.7.partial"), "abcdefg");
    EXPECT_TRUE(file.seek(3));
    EXPECT_TRUE(file.write("XY"));
    EXPECT_TRUE(file.flush());
    // Held without delete sharing: another process's removal fails.
    EXPECT_FALSE(::DeleteFileA((dir.path() + "inventory.7.partial").c_str()));

    EXPECT_EQ(file.publish(taken), RecordFile::Publish::kNameTaken);
    EXPECT_EQ(testing::readFile(taken), "a collector's file");
    EXPECT_EQ(file.publish(dir.path() + "inventory-2.data"), RecordFile::Publish::kDone);
    EXPECT_TRUE(file.close());
    EXPECT_EQ(testing::readFile(dir.path() + "inventory-2.data"), "abcXYfg");
    EXPECT_FALSE(testing::rawExists(dir.path() + "inventory.7.partial"));

    EXPECT_FALSE(file.open(dir.path() + "no\\such\\dir\\x.data"));
    EXPECT_EQ(file.lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(DataFileWin, DiscardAndLeftoversRemoveOnlyWhatNoRunHolds) {
    testing::ScratchDir dir("StocksweepLeftovers");
    for (const char* name : {"inventory.1.partial", "inventory.22.partial", "inventory-3.data",
                             "inventory.x.partial", "other.partial"}) {
        dir.makeFile(name, "x");
    }
    dir.makeDir("inventory.4.partial");
    // A running writer's file.
    DataFileWin running;
    ASSERT_TRUE(running.open(dir.path() + "inventory.5.partial"));

    DataFileWin file;
    std::vector<std::string> removed = file.removeTemporaryFiles(dir.path());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{"inventory.1.partial", "inventory.22.partial"}));
    for (const char* name : {"inventory-3.data", "inventory.x.partial", "other.partial",
                             "inventory.4.partial", "inventory.5.partial"}) {
        EXPECT_TRUE(testing::rawExists(dir.path() + name)) << name;
    }

    EXPECT_TRUE(running.discard());
    EXPECT_FALSE(testing::rawExists(dir.path() + "inventory.5.partial"));
}

}  // namespace
}  // namespace Velmar
