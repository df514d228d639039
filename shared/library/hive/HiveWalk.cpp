#include "shared/library/hive/HiveWalk.h"

#include <deque>
#include <utility>

namespace Velmar {
namespace hive {

WalkGuard::WalkGuard(const Hive& hive) : seen_(hive.binsHeld(), false) {}

bool WalkGuard::admitKey(uint32_t cell, size_t depth) {
    // A cell outside the bins never reads as a key node, so it needs no bit.
    const bool twice = cell < seen_.size() && seen_[cell];
    if (twice || depth > kMaxDepth || counts_.keys >= kMaxKeysPerHive) {
        ++counts_.damaged;
        return false;
    }
    if (cell < seen_.size()) seen_[cell] = true;
    ++counts_.keys;
    return true;
}

size_t WalkGuard::admitValues(size_t count) {
    const size_t room = kMaxValuesPerHive - counts_.values;
    const size_t given = count < room ? count : room;
    counts_.values += given;
    counts_.damaged += count - given;
    return given;
}

namespace {

// A key whose subkeys are being walked.
struct Frame {
    std::u16string path;
    std::vector<uint32_t> children;
    size_t next = 0;
};

}  // namespace

WalkCounts walkHive(const Hive& hive, HiveVisitor& visitor) {
    WalkGuard guard(hive);
    // A deque, so that a parent's frame stays where it is while its children
    // are pushed above it.
    std::deque<Frame> stack;
    std::vector<Value> values;
    KeyNode key;

    // Reads and gives one key; pushes it when it has subkeys to walk.
    auto visit = [&](uint32_t cell, const std::u16string* parentPath) {
        const size_t depth = stack.size();
        if (!hive.readKey(cell, key)) {
            guard.damaged();
            return;
        }
        if (!guard.admitKey(cell, depth)) return;
        std::u16string path;
        if (parentPath != nullptr) {
            path = parentPath->empty() ? key.name : *parentPath + u'\\' + key.name;
        }
        size_t damaged = 0;
        if (!hive.readValues(key, values, damaged)) ++damaged;
        values.resize(guard.admitValues(values.size()));
        guard.damaged(damaged);
        visitor.key(path, key.name, values);
        Frame frame;
        if (!hive.subKeyCells(key, frame.children)) guard.damaged();
        if (frame.children.empty()) return;
        frame.path = std::move(path);
        stack.push_back(std::move(frame));
    };

    visit(hive.rootCell(), nullptr);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.children.size()) {
            stack.pop_back();
            continue;
        }
        visit(top.children[top.next++], &top.path);
    }
    return guard.counts();
}

}  // namespace hive
}  // namespace Velmar
