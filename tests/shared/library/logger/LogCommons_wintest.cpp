#include "shared/library/common/Exception.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/common/WinHandle.h"
#include "shared/library/logger/LogCommons.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::ScratchDir;

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Module name to line count; the listing order is the file system's.
std::map<std::string, int32_t> countsByName(const LoadResult& r) {
    std::map<std::string, int32_t> counts;
    for (size_t i = 0; i < r.loaded.size() && i < r.counts.size(); ++i) {
        counts[r.loaded[i]] = r.counts[i];
    }
    return counts;
}

TEST(LoadMessages, FilterAndModuleTableDecideWhatIsRead) {
    ScratchDir dir("logmess");
    dir.makeFile("LogMessages\\stocksweep.mess",
                 "// Stocksweep messages\r\n\r\n3: Cannot read \"%s\".\r\n  7 :  seven  \r\n"
                 "7: later seven\r\n");
    dir.makeFile("LogMessages\\configuration.mess", "12:Bad key %s\n");
    dir.makeFile("LogMessages\\core.mess", "1: core one\n");
    dir.makeFile("LogMessages\\foo.mess", "1: foo\n");
    dir.makeFile("LogMessages\\notes.txt", "1: not a catalogue\n");
    dir.makeDir("LogMessages\\logger.mess");

    LogCommons filtered;
    const LoadResult r = filtered.loadMessages(dir.path(), "stocksweep,configuration");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(countsByName(r),
              (std::map<std::string, int32_t>{{"configuration", 1}, {"stocksweep", 3}}));
    EXPECT_EQ(r.counts.size(), r.loaded.size());
    EXPECT_EQ(sorted(r.rejected), (std::vector<std::string>{"core", "foo"}));
    std::string text;
    EXPECT_TRUE(filtered.findMessage(24, 7, text));
    EXPECT_EQ(text, "seven");
    EXPECT_TRUE(filtered.findMessage(1, 12, text));
    EXPECT_EQ(text, "Bad key %s");
    EXPECT_FALSE(filtered.findMessage(0, 1, text));
    EXPECT_EQ(filtered.size(), 3U);

    LogCommons all;
    const LoadResult everything = all.loadMessages(dir.dir(), "all");
    EXPECT_TRUE(everything.ok);
    EXPECT_EQ(sorted(everything.loaded),
              (std::vector<std::string>{"configuration", "core", "stocksweep"}));
    EXPECT_EQ(everything.rejected, (std::vector<std::string>{"foo"}));
}

TEST(LoadMessages, EmptyOrMissingDirectoryAndCaseOfTheName) {
    ScratchDir dir("logmess");
    LogCommons messages;
    const LoadResult missing = messages.loadMessages(dir.path(), "all");
    EXPECT_TRUE(missing.ok);
    dir.makeDir("LogMessages");
    const LoadResult empty = messages.loadMessages(dir.path(), "all");
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.loaded.empty() && empty.rejected.empty() && empty.counts.empty());

    // The module lookup ignores case, the filter does not.
    dir.makeFile("LogMessages\\Stocksweep.mess", "1: one\n");
    std::string slashed = dir.dir();
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const LoadResult capital = messages.loadMessages(slashed + "//", "stocksweep,configuration");
    EXPECT_TRUE(capital.ok);
    EXPECT_EQ(capital.rejected, (std::vector<std::string>{"Stocksweep"}));
    EXPECT_EQ(messages.loadMessages(slashed, "all").loaded,
              (std::vector<std::string>{"Stocksweep"}));
}

TEST(LoadMessages, AFileThatCannotBeOpenedEndsTheLoad) {
    ScratchDir dir("logmess");
    const std::string path = dir.makeFile("LogMessages\\configuration.mess", "1: one\n");
    UniqueFileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    LogCommons messages;
    const LoadResult r = messages.loadMessages(dir.path(), "all");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, FileException(FileException::FL_EXISTS_NOT).text());
    EXPECT_TRUE(r.loaded.empty());
    EXPECT_EQ(messages.size(), 0U);
}

}  // namespace
}  // namespace Velmar
