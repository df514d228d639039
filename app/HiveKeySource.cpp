#include "app/HiveKeySource.h"

#include <algorithm>

namespace Velmar {

namespace {

constexpr int32_t kForeignDebugLevel = 5;

bool isText(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// UTF-16LE data as text units, an odd last byte dropped, trailing zeros removed.
void textUnits(const std::vector<uint8_t>& data, std::u16string& wide) {
    wide.resize(data.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    while (!wide.empty() && wide.back() == 0) wide.pop_back();
}

}  // namespace

HiveKeySource::HiveKeySource(const hive::Hive& hive, AnsiConverter convert, Log& log,
                             std::string rootName, std::string mount)
    : hive_(hive),
      convert_(convert),
      log_(log),
      rootName_(std::move(rootName)),
      mount_(std::move(mount)),
      guard_(hive) {}

bool HiveKeySource::convert(const std::u16string& wide, std::string& text, const char* what) {
    if (convert_(wide, text)) return true;
    debugLog(log_, kForeignDebugLevel, "   A %s in \"%s\" has no 8-bit form; it is skipped.", what,
             rootName_);
    return false;
}

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

std::unique_ptr<KeySource::Key> HiveKeySource::open(Key* parent, const std::string& name,
                                                    bool& valuesOpen) {
    valuesOpen = true;
    if (parent != nullptr) {
        // The walk opens the subkeys it was given, last listed first.
        auto& listed = static_cast<HiveKey*>(parent)->listed;
        for (size_t i = listed.size(); i-- > 0;) {
            if (listed[i].first != name) continue;
            const uint32_t cell = listed[i].second;
            listed.erase(listed.begin() + static_cast<std::ptrdiff_t>(i));
            // Admitted when it was listed.
            return openCell(cell, static_cast<HiveKey*>(parent)->depth + 1, false);
        }
        return nullptr;
    }
    // A path from the root: the mount, then each of its keys in turn.
    std::string path = name;
    if (!mount_.empty()) {
        if (path.compare(0, mount_.size(), mount_) != 0 ||
            (path.size() > mount_.size() && path[mount_.size()] != '\\')) {
            return nullptr;
        }
        path.erase(0, std::min(path.size(), mount_.size() + 1));
    }
    std::unique_ptr<Key> key = openCell(hive_.rootCell(), 0, true);
    for (size_t start = 0; key && !path.empty();) {
        const size_t end = path.find('\\', start);
        std::vector<std::string> names;
        if (!subKeys(*key, names)) return nullptr;
        key = open(key.get(), path.substr(start, end - start), valuesOpen);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return key;
}

bool HiveKeySource::subKeys(Key& opened, std::vector<std::string>& names) {
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
        std::string name;
        if (!convert(child.name, name, "key name")) continue;
        // A key met before or past the bounds is left out here, so that the
        // walk never tries to open it.
        if (!guard_.admitKey(cell, key.depth + 1)) continue;
        key.listed.emplace_back(name, cell);
        names.push_back(std::move(name));
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
        SourceValue& value = values[count];
        if (!convert(raw.name, value.name, "value name")) continue;
        ++count;
        value.type = raw.type;
        value.hasText = false;
        value.foreignText = false;
        if (!isText(raw.type) || !raw.dataRead) continue;
        textUnits(raw.data, wide_);
        value.hasText = convert(wide_, value.text, "value text");
        value.foreignText = !value.hasText;
    }
    return ListResult::kOk;
}

}  // namespace Velmar
