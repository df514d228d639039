#include "app/HiveKeySource.h"

#include "shared/library/files/FileUtils.h"

#include <algorithm>

namespace Velmar {

namespace {

// UTF-16LE data as text units, an odd last byte dropped, trailing zeros removed.
void textUnits(const std::vector<uint8_t>& data, std::u16string& wide) {
    wide.resize(data.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    while (!wide.empty() && wide.back() == 0) wide.pop_back();
}

// Registry names compare without regard to case. Only ASCII letters are
// folded here: the paths a walk is given from its root are the hive's mount
// and names the program itself spells.
std::string folded(std::string text) {
    toLowerCase(text);
    return text;
}

}  // namespace

HiveKeySource::HiveKeySource(const hive::Hive& hive, AnsiConverter convert, std::string mount)
    : hive_(hive), convert_(convert), mount_(std::move(mount)), guard_(hive) {}

std::unique_ptr<HiveKeySource::HiveKey> HiveKeySource::openCell(uint32_t cell, size_t depth,
                                                                bool admit) {
    auto key = std::make_unique<HiveKey>();
    if (!hive_.readKey(cell, key->node)) {
        guard_.damaged();
        return nullptr;
    }
    if (admit && !guard_.admitKey(cell, depth)) return nullptr;
    key->depth = depth;
    return key;
}

std::unique_ptr<HiveKeySource::HiveKey> HiveKeySource::openListed(HiveKey& parent,
                                                                  const std::u16string& name) {
    // The walk opens the subkeys it was given, last listed first.
    auto& listed = parent.listed;
    for (size_t i = listed.size(); i-- > 0;) {
        if (listed[i].first != name) continue;
        const uint32_t cell = listed[i].second;
        listed.erase(listed.begin() + static_cast<std::ptrdiff_t>(i));
        // Admitted when it was listed.
        return openCell(cell, parent.depth + 1, false);
    }
    return nullptr;
}

std::unique_ptr<KeySource::Key> HiveKeySource::open(Key* parent, const SubKeyName& child,
                                                    bool& valuesOpen) {
    valuesOpen = true;
    if (parent != nullptr) return openListed(*static_cast<HiveKey*>(parent), child.wide);
    // A path from the root: the mount, then each of its keys in turn, by
    // 8-bit names, which open only keys whose names convert (as the live
    // registry opens by 8-bit names).
    const std::string path = folded(child.name);
    size_t start = 0;
    if (!mount_.empty()) {
        const size_t end = std::min(path.find('\\'), path.size());
        if (path.compare(0, end, folded(mount_)) != 0) return nullptr;
        start = end + 1;
    }
    std::unique_ptr<HiveKey> key = openCell(hive_.rootCell(), 0, true);
    std::vector<SubKeyName> names;
    std::string converted;
    while (key && start < path.size()) {
        const size_t end = std::min(path.find('\\', start), path.size());
        names.clear();
        subKeys(*key, names);
        const auto found = std::find_if(names.begin(), names.end(), [&](const SubKeyName& n) {
            return convert_(n.wide, converted) &&
                   path.compare(start, end - start, folded(converted)) == 0;
        });
        if (found == names.end()) return nullptr;
        key = openListed(*key, found->wide);
        start = end + 1;
    }
    return key;
}

bool HiveKeySource::subKeys(Key& opened, std::vector<SubKeyName>& names) {
    HiveKey& key = static_cast<HiveKey&>(opened);
    key.listed.clear();
    // A damaged list gives the subkeys read before the damage.
    if (!hive_.subKeyCells(key.node, cells_)) guard_.damaged();
    hive::KeyNode child;
    for (uint32_t cell : cells_) {
        if (!hive_.readKey(cell, child)) {
            guard_.damaged();
            continue;
        }
        // A key met before or past the bounds is left out here, so that the
        // walk never tries to open it.
        if (!guard_.admitKey(cell, key.depth + 1)) continue;
        names.push_back({toAnsiForDisplay(child.name, convert_), child.name});
        key.listed.emplace_back(child.name, cell);
    }
    return true;
}

ListResult HiveKeySource::values(Key& opened, std::vector<SourceValue>& values, size_t& count) {
    HiveKey& key = static_cast<HiveKey&>(opened);
    count = 0;
    size_t damaged = 0;
    if (!hive_.readValues(key.node, raw_, damaged)) ++damaged;
    guard_.damaged(damaged);
    raw_.resize(guard_.admitValues(raw_.size()));
    for (const hive::Value& raw : raw_) {
        if (count == values.size()) values.emplace_back();
        SourceValue& value = values[count++];
        value.wideName.clear();
        if (!convert_(raw.name, value.name)) {
            value.name = toAnsiForDisplay(raw.name, convert_);
            value.wideName = raw.name;
        }
        value.type = raw.type;
        value.hasText = false;
        value.hasWideText = false;
        if (!isTextType(raw.type) || !raw.dataRead) continue;
        textUnits(raw.data, value.wideText);
        value.hasText = convert_(value.wideText, value.text);
        value.hasWideText = !value.hasText;
    }
    return ListResult::kOk;
}

}  // namespace Velmar
