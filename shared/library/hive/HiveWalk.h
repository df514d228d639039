// What keeps a walk over a hive finite whatever the file says, and the one walk
// of a whole hive that uses it. A key node met a second time (a cycle, or one
// subtree listed from two places) is walked once; nothing deeper than
// kMaxDepth below the root is entered; a hive gives at most kMaxKeysPerHive
// keys and kMaxValuesPerHive values. Each refusal and each damaged cell is
// counted, and the walk goes on with what is sound.
#pragma once

#include "shared/library/hive/Hive.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {
namespace hive {

struct WalkCounts {
    size_t keys = 0;     // keys walked
    size_t values = 0;   // values given
    size_t damaged = 0;  // damaged cells, keys met twice, parts past a bound
};

class WalkGuard {
public:
    explicit WalkGuard(const Hive& hive);

    // Whether the key node at `cell`, `depth` levels below the root, may be
    // walked: false (and counted) when it was met before, lies past the depth
    // bound or the key bound. A key admitted is counted as walked.
    bool admitKey(uint32_t cell, size_t depth);
    // How many of `count` values of a key may be given; the rest is counted.
    size_t admitValues(size_t count);
    // One damaged cell more.
    void damaged(size_t count = 1) { counts_.damaged += count; }

    const WalkCounts& counts() const { return counts_; }

private:
    std::vector<bool> seen_;  // one bit per byte of the bins held
    WalkCounts counts_;
};

class HiveVisitor {
public:
    virtual ~HiveVisitor() = default;
    // One key: `path` is the names below the root joined by "\" (empty for the
    // root), `name` the key's own name as stored, `values` in list order.
    virtual void key(const std::u16string& path, const std::u16string& name,
                     const std::vector<Value>& values) = 0;
};

// Walks the whole hive from its root, each key before its subkeys, the
// subkeys in list order, over an explicit stack. A root that is not a sound
// key node is one damaged cell and the walk gives nothing.
WalkCounts walkHive(const Hive& hive, HiveVisitor& visitor);

}  // namespace hive
}  // namespace Velmar
