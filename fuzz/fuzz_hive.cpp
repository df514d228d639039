// Fuzz target over the registry hive reader: the whole input is a hive file,
// walked whole; when the base block says the hive is dirty, the bytes after
// the hive bins it claims are its transaction log, and the recovered hive is
// walked too. The walk must end, and its counts stay within their bounds.
#include "fuzz/FuzzCheck.h"
#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace Velmar::hive;

class Check : public HiveVisitor {
public:
    void key(const std::u16string& path, const std::u16string& name,
             const std::vector<Value>& values) override {
        Velmar::fuzz::check(path.size() >= name.size() || path.empty(),
                            "a path ends with its name");
        for (const Value& value : values) {
            Velmar::fuzz::check(value.data.size() <= kMaxValueSize,
                                "a value stays within its bound");
            Velmar::fuzz::check(value.dataRead || value.data.empty(), "unread data is empty");
        }
        ++keys;
    }
    size_t keys = 0;
};

void walk(const std::vector<uint8_t>& bytes) {
    const Hive hive(bytes);
    Check check;
    const WalkCounts counts = walkHive(hive, check);
    Velmar::fuzz::check(counts.keys == check.keys, "every key admitted is given");
    Velmar::fuzz::check(counts.keys <= kMaxKeysPerHive, "keys stay within their bound");
    Velmar::fuzz::check(counts.values <= kMaxValuesPerHive, "values stay within their bound");
    // Each key walked starts at its own offset inside the bins.
    Velmar::fuzz::check(counts.keys <= hive.binsHeld(), "no key is walked twice");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    walk(bytes);

    BaseBlock base;
    if (!readBaseBlock(ByteReader(data, size), base)) return 0;
    const uint64_t end = uint64_t{kBaseBlockSize} + base.binsSize;
    if (end >= size) return 0;
    std::vector<uint8_t> log(data + end, data + size);
    bytes.resize(static_cast<size_t>(end));
    const size_t before = bytes.size();
    const Recovery recovery = recoverHive(bytes, {log});
    Velmar::fuzz::check(bytes.size() <= before + log.size() + before, "recovery stays bounded");
    Velmar::fuzz::check(recovery.dirty || !recovery.recovered, "only a dirty hive is recovered");
    walk(bytes);
    return 0;
}
