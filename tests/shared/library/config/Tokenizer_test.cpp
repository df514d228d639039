#include "shared/library/config/Tokenizer.h"

#include "shared/library/config/ConfSearcher.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(Tokenizer, ReportsPositionsAndFailsWithoutTextOrSearcher) {
    ConfSearcher searcher;
    const std::string text = "ab  cd";
    Tokenizer tokenizer(&text, &searcher);
    Token token;
    ASSERT_TRUE(tokenizer.nextToken(token));
    ASSERT_TRUE(tokenizer.nextToken(token));
    EXPECT_EQ(tokenizer.previousPosition(), 2u);
    EXPECT_EQ(tokenizer.position(), 4u);

    Tokenizer noText(nullptr, &searcher);
    Tokenizer noSearcher(&text, nullptr);
    token.set("kept", true);
    EXPECT_FALSE(noText.nextToken(token));
    EXPECT_FALSE(noSearcher.nextToken(token));
    EXPECT_EQ(token.text(), "kept");
}

}  // namespace
}  // namespace Velmar
