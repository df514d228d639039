#include "shared/library/config/DOMNode.h"

#include <utility>

namespace Velmar {

DOMNode::DOMNode(const std::string& name) : name_(name) {}

// Read as a binary tree (first child left, next sibling right), a node with a
// child is rotated below that child until the node in hand has none; it is then
// freed with both links empty, so no destructor descends and nothing is
// allocated. Every rotation takes one node off the left spines for good, so the
// whole walk is linear in the number of nodes.
void DOMNode::freeIteratively(std::unique_ptr<DOMNode> node) {
    while (node) {
        if (node->firstChild_) {
            std::unique_ptr<DOMNode> child = std::move(node->firstChild_);
            node->firstChild_ = std::move(child->nextSibling_);
            child->nextSibling_ = std::move(node);
            node = std::move(child);
        } else {
            std::unique_ptr<DOMNode> next = std::move(node->nextSibling_);
            node.reset();
            node = std::move(next);
        }
    }
}

DOMNode::~DOMNode() {
    freeIteratively(std::move(firstChild_));
    freeIteratively(std::move(nextSibling_));
}

void DOMNode::addChild(std::unique_ptr<DOMNode> child) {
    if (!child) return;
    DOMNode* added = child.get();
    if (lastChild_ == nullptr) {
        firstChild_ = std::move(child);
    } else {
        lastChild_->nextSibling_ = std::move(child);
    }
    lastChild_ = added;
}

void DOMNode::setValue(const std::string& value) {
    std::string folded;
    folded.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        folded += value[i];
        if (value[i] == '\\') ++i;
    }
    value_ = std::move(folded);
}

}  // namespace Velmar
