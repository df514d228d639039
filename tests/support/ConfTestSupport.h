// Support for tests of the configuration code: a one-line rendering of a tree.
#pragma once

#include "shared/library/config/DOMNode.h"

#include <string>

namespace Velmar {
namespace testing {

// The children of `node`, each as name "(" type ")=" value "{" children "}",
// side by side: the text "a (T) = v { b () = '' {} }" gives "a(T)=v{b()={}}".
// Recurses once per level: not for trees thousands of levels deep.
inline std::string dumpTree(const DOMNode* node) {
    std::string out;
    if (node == nullptr) return "<none>";
    for (const DOMNode* child = node->firstChild(); child; child = child->nextSibling()) {
        out += child->name() + "(" + child->type() + ")=" + child->value() + "{" + dumpTree(child) +
               "}";
    }
    return out;
}

}  // namespace testing
}  // namespace Velmar
