// One entry of a configuration tree: a name, a type word, a value and the
// entry's children in the order the text states them. A node owns its first
// child and its next sibling, so deleting a node frees its subtree and every
// later sibling; deleting the root frees the whole tree.
#pragma once

#include <memory>
#include <string>

namespace Velmar {

class DOMNode {
public:
    explicit DOMNode(const std::string& name);
    // Frees the subtree and the later siblings without recursion, so that a
    // tree of any depth or width is freed on a small stack.
    virtual ~DOMNode();

    DOMNode(const DOMNode&) = delete;
    DOMNode& operator=(const DOMNode&) = delete;

    // Appends the node after the last child and takes ownership of it.
    void addChild(std::unique_ptr<DOMNode> child);

    void setType(const std::string& type) { type_ = type; }

    // Stores the text with backslash folding: a backslash is kept and the
    // character after it is dropped ("\\" becomes "\", "\n" becomes "\"); a
    // backslash at the very end stays.
    void setValue(const std::string& value);

    const std::string& name() const { return name_; }
    const std::string& type() const { return type_; }
    const std::string& value() const { return value_; }
    const DOMNode* firstChild() const { return firstChild_.get(); }
    const DOMNode* nextSibling() const { return nextSibling_.get(); }

private:
    // Frees `node`, its subtree and its later siblings without recursion.
    static void freeIteratively(std::unique_ptr<DOMNode> node);

    std::string name_;
    std::string type_;
    std::string value_;
    std::unique_ptr<DOMNode> firstChild_;
    std::unique_ptr<DOMNode> nextSibling_;
    // The last child, so that appending does not walk the sibling chain.
    DOMNode* lastChild_ = nullptr;
};

}  // namespace Velmar
