#include "shared/library/files/LockRecord.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace Velmar {
namespace {

auto fields(const LockRecord& r) {
    return std::make_tuple(r.start, r.expiry, r.owner, r.holdsGuarded);
}

TEST(LockRecordText, FourLinesEachEndedByOneLineFeed) {
    LockRecord record{"2024-03-01T10:00:00Z", "2024-03-01T10:00:30Z",
                      "2024-03-01T10:00:00Zab cd}~ ", true};
    EXPECT_EQ(
        formatLockRecord(record),
        "2024-03-01T10:00:00Z\n2024-03-01T10:00:30Z\n2024-03-01T10:00:00Zab cd}~ \noriginal\n");
    record.holdsGuarded = false;
    EXPECT_EQ(
        formatLockRecord(record),
        "2024-03-01T10:00:00Z\n2024-03-01T10:00:30Z\n2024-03-01T10:00:00Zab cd}~ \nmissing\n");
}

TEST(LockRecordText, ParsingStopsAtTheFirstMissingLine) {
    struct Case {
        std::string text;
        size_t lines;
        LockRecord expected;
    };
    const LockRecord untouched{"s0", "e0", "o0", true};
    const Case cases[] = {
        {"S\nE\nO\noriginal\n", 4, {"S", "E", "O", true}},
        {"S\r\nE\r\nO\r\nmissing\r\n", 4, {"S", "E", "O", false}},
        {"S\nE\nO\noriginal", 4, {"S", "E", "O", true}},
        {"S\nE\nO\nOriginal\n", 4, {"S", "E", "O", false}},
        {"S\nE\nO\noriginal\nextra\n", 4, {"S", "E", "O", true}},
        {"S\nE\n", 2, {"S", "E", "o0", true}},
        {"S", 1, {"S", "e0", "o0", true}},
        {"", 0, untouched},
        {"\n\n", 2, {"", "", "o0", true}},
        {std::string("\0\xff\n", 3), 1, {std::string("\0\xff", 2), "e0", "o0", true}},
    };
    for (const Case& c : cases) {
        LockRecord got = untouched;
        EXPECT_EQ(parseLockRecord(c.text, got), c.lines) << c.text;
        EXPECT_EQ(fields(got), fields(c.expected)) << c.text;
    }
}

TEST(LockRecordText, WrittenRecordReadsBackUnchanged) {
    const LockRecord record{"2000-01-01T00:00:00Z", "2038-01-19T03:14:07Z",
                            "2000-01-01T00:00:00Z !\"#$%&'()", false};
    LockRecord back;
    ASSERT_EQ(parseLockRecord(formatLockRecord(record), back), 4u);
    EXPECT_EQ(fields(back), fields(record));
}

TEST(IdentityToken, TimeTextThenTenCharactersFromSpaceToRightBrace) {
    const std::string timeText = "2024-03-01T10:00:00Z";
    std::set<std::string> tokens;
    std::set<char> seen;
    for (uint32_t counter = 0; counter < 2000; ++counter) {
        // Same second and process, only the per-object part differs.
        const std::string token = makeIdentityToken(timeText, {1709287200u, 4242u, counter});
        ASSERT_EQ(token.size(), timeText.size() + 10);
        EXPECT_EQ(token.substr(0, timeText.size()), timeText);
        for (size_t i = timeText.size(); i < token.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(token[i]);
            EXPECT_GE(c, 32);
            EXPECT_LE(c, 125);
            seen.insert(token[i]);
        }
        tokens.insert(token);
    }
    EXPECT_EQ(tokens.size(), 2000u);
    // The whole range is used, both ends included.
    EXPECT_EQ(seen.size(), 94u);
    // Two processes started in the same second differ by their process ids.
    EXPECT_NE(makeIdentityToken(timeText, {1709287200u, 100u, 1u}),
              makeIdentityToken(timeText, {1709287200u, 101u, 1u}));
}

}  // namespace
}  // namespace Velmar
