// A hive file read into memory as a key source for the registry scan. Names
// and texts are turned into the program's 8-bit form by the converter given;
// one that has none comes in UTF-16 as well, as the live registry gives it.
// Damaged cells, keys met twice and parts past the hive's bounds are skipped
// and counted, never reported one by one.
#pragma once

#include "app/KeySource.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveWalk.h"

#include <string>
#include <utility>
#include <vector>

namespace Velmar {

class HiveKeySource : public KeySource {
public:
    // `hive` must outlive the source. `mount` is the path at which the hive's
    // root appears to the walk ("" for the walk's root itself): a path from
    // the root names the hive's root by it, and keys below by it and their
    // own path.
    HiveKeySource(const hive::Hive& hive, AnsiConverter convert, std::string mount = std::string());

    std::unique_ptr<Key> open(Key* parent, const SubKeyName& child, bool& valuesOpen) override;
    bool subKeys(Key& key, std::vector<SubKeyName>& names) override;
    ListResult values(Key& key, std::vector<SourceValue>& values, size_t& count) override;

    // Keys and values walked, damaged cells counted so far.
    const hive::WalkCounts& counts() const { return guard_.counts(); }

private:
    struct HiveKey : Key {
        hive::KeyNode node;
        size_t depth = 0;
        // The subkeys listed and not yet opened, in listing order: UTF-16
        // name and cell.
        std::vector<std::pair<std::u16string, uint32_t>> listed;
    };

    std::unique_ptr<HiveKey> openCell(uint32_t cell, size_t depth, bool admit);
    std::unique_ptr<HiveKey> openListed(HiveKey& parent, const std::u16string& name);

    const hive::Hive& hive_;
    AnsiConverter convert_;
    std::string mount_;
    hive::WalkGuard guard_;
    std::vector<uint32_t> cells_;
    std::vector<hive::Value> raw_;
};

}  // namespace Velmar
