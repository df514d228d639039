#include "shared/library/config/DOMNode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Velmar {
namespace {

TEST(DOMNode, SetValueKeepsABackslashAndDropsTheCharacterAfterIt) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"C:\\\\dir", "C:\\dir"}, {"C:\\dir", "C:\\ir"}, {"a\\'b", "a\\b"},
        {"end\\", "end\\"},       {"\\\\\\\\", "\\\\"},  {"plain", "plain"},
    };
    for (const Case& c : cases) {
        DOMNode node("n");
        node.setValue(c.in);
        EXPECT_EQ(node.value(), c.out) << c.in;
    }
}

TEST(DOMNode, FreesDeepAndWideTreesOnASmallStack) {
    // A chain of 100,000 nested nodes, each with a sibling after it: a
    // recursive destructor would need a frame per node.
    const int kDepth = 100000;
    auto root = std::make_unique<DOMNode>("Root");
    DOMNode* parent = root.get();
    for (int i = 0; i < kDepth; ++i) {
        auto child = std::make_unique<DOMNode>("c");
        DOMNode* next = child.get();
        parent->addChild(std::move(child));
        parent->addChild(std::make_unique<DOMNode>("s"));
        parent = next;
    }
    EXPECT_EQ(root->firstChild()->nextSibling()->name(), "s");
    root.reset();  // would overflow the stack if freed recursively
}

}  // namespace
}  // namespace Velmar
