#include "shared/library/common/GrowAndRetry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Velmar {
namespace {

// How a sized function answers when the text does not fit.
enum class TooSmall { kAsksForSize, kCutsText, kAsksButGrows };

// A function of the Windows kind over `stored`: writes the text and its zero
// when they fit and answers the length; otherwise answers as `kind` says and
// writes no more than the capacity. Records every capacity it was given.
struct SizedFunction {
    std::string stored;
    TooSmall kind;
    std::vector<uint32_t> capacities;

    uint32_t operator()(char* data, uint32_t capacity) {
        capacities.push_back(capacity);
        const auto length = static_cast<uint32_t>(stored.size());
        if (length == 0) return 0;
        if (length < capacity) {
            std::memcpy(data, stored.c_str(), length + 1);
            return length;
        }
        switch (kind) {
            case TooSmall::kAsksForSize: return length + 1;
            case TooSmall::kCutsText: std::memcpy(data, stored.data(), capacity); return capacity;
            case TooSmall::kAsksButGrows:
                // The text grows before the next call (a value someone else writes).
                stored += "+++";
                return length + 1;
        }
        return 0;
    }
};

TEST(GrowAndRetry, ReadsTextsOfEverySizeWithTheFewestCalls) {
    struct Case {
        std::string stored;
        TooSmall kind;
        bool read;
        std::string text;
        std::vector<uint32_t> capacities;
    };
    const std::string exact(8, 'e');
    const std::string longer(300, 'l');
    const Case cases[] = {
        {"short", TooSmall::kAsksForSize, true, "short", {8}},
        {exact, TooSmall::kAsksForSize, true, exact, {8, 16}},
        {longer, TooSmall::kAsksForSize, true, longer, {8, 301}},
        {std::string(20, 'c'), TooSmall::kCutsText, true, std::string(20, 'c'), {8, 16, 32}},
        {longer, TooSmall::kAsksButGrows, true, longer + "++++++", {8, 301, 602}},
        {"", TooSmall::kAsksForSize, false, "untouched", {8}},
    };
    for (const Case& c : cases) {
        SizedFunction function{c.stored, c.kind, {}};
        std::string text = "untouched";
        EXPECT_EQ(readSizedText(text, 8, function), c.read) << c.stored;
        EXPECT_EQ(text, c.text) << c.stored;
        EXPECT_EQ(function.capacities, c.capacities) << c.stored;
    }
}

TEST(GrowAndRetry, StopsAtTheLimitAndOnFailure) {
    std::vector<uint32_t> capacities;
    auto neverFits = [&](char*, uint32_t capacity, uint32_t& wanted) {
        capacities.push_back(capacity);
        wanted = capacity + 1;
        return true;
    };
    std::vector<char> buffer(3);
    uint32_t size = 7;
    EXPECT_FALSE(growAndRetry(buffer, size, neverFits, 20));
    EXPECT_EQ(capacities, (std::vector<uint32_t>{3, 6, 12, 20}));
    EXPECT_EQ(size, 7u);

    int calls = 0;
    auto fails = [&](char*, uint32_t, uint32_t&) { return ++calls > 5; };
    EXPECT_FALSE(growAndRetry(buffer, size, fails));
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace Velmar
