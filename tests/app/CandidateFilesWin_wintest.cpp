#include "app/CandidateFilesWin.h"

#include <gtest/gtest.h>

#include <cctype>

namespace Velmar {
namespace {

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
