#include "app/RegistryScan.h"

#include "app/RegistryWalk.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/system/References.h"
#include "shared/library/system/RegistryKey.h"
#include "shared/library/system/SystemInfo.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace Velmar {

namespace {

// Expansion starts with this many bytes per character of the text.
constexpr size_t kExpansionFactor = 4;

// The live registry as a key source: a thin adapter over RegistryKey and its
// iterators, which keep their buffers from key to key.
class LiveKeySource : public KeySource {
public:
    LiveKeySource(HKEY root, bool view32)
        : root_(root), view_(view32 ? RegistryView::kThirtyTwoBit : RegistryView::kOwn) {}

    std::unique_ptr<Key> open(Key* parent, const SubKeyName& child, bool& valuesOpen) override {
        const HKEY from = parent ? static_cast<LiveKey*>(parent)->key.get() : root_;
        auto key = std::make_unique<LiveKey>();
        const auto open = [&](REGSAM access) {
            return parent ? key->key.open(from, child.wide, access, view_)
                          : key->key.open(from, child.name, access, view_);
        };
        // One handle serves both listings; a key that lets its subkeys be
        // listed but not its values is opened again for the subkeys alone.
        valuesOpen = true;
        if (open(KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            valuesOpen = false;
            if (open(KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS) return nullptr;
        }
        return key;
    }

    bool subKeys(Key& key, std::vector<SubKeyName>& names) override {
        subKeyList_.reset(static_cast<LiveKey&>(key).key.get());
        while (subKeyList_.next()) names.push_back({subKeyList_.name(), subKeyList_.wideName()});
        return subKeyList_.result() == ERROR_SUCCESS;
    }

    ListResult values(Key& key, std::vector<SourceValue>& values, size_t& count) override {
        count = 0;
        valueList_.reset(static_cast<LiveKey&>(key).key.get());
        while (valueList_.next()) {
            if (count == values.size()) values.emplace_back();
            SourceValue& value = values[count++];
            value.name = valueList_.name();
            value.type = valueList_.type();
            value.hasText = valueList_.text(value.text);
            value.hasWideText = !value.hasText && valueList_.wideText(value.wideText);
            value.wideName.clear();
            if (!valueList_.nameConverts()) value.wideName = valueList_.wideName();
        }
        const LONG result = valueList_.result();
        if (result == ERROR_SUCCESS) return ListResult::kOk;
        return result == ERROR_ACCESS_DENIED ? ListResult::kDenied : ListResult::kFailed;
    }

private:
    struct LiveKey : Key {
        RegistryKey key;
    };

    HKEY root_;
    RegistryView view_;
    SubKeyIterator subKeyList_;
    ValueIterator valueList_;
};

}  // namespace

std::unique_ptr<KeySource> liveKeySource(HKEY root, bool view32) {
    return std::make_unique<LiveKeySource>(root, view32);
}

bool SuiteValues::readRaw(const std::string& name, std::string& text) {
    return readSuiteValue(name, text) == kRegOk;
}

std::string ProcessEnvironment::expand(const std::string& /*keyPath*/, const std::string& text) {
    return expandEnvironment(text, log_);
}

size_t scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                        std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log,
                        TextExpander& expander) {
    LiveKeySource source(root, view32);
    SuiteValues suite;
    return walkRegistry(source, rootName, keyQueue, sink, log, {suite, expander, toAnsi});
}

std::string expandEnvironment(const std::string& text, Log& log) {
    std::vector<char> buffer(std::max<size_t>(1, kExpansionFactor * text.size()));
    DWORD error = ERROR_INSUFFICIENT_BUFFER;
    uint32_t length = 0;
    const bool expanded =
        growAndRetry(buffer, length, [&](char* data, uint32_t room, uint32_t& wanted) {
            // The count includes the terminating zero, whether the text fit or not.
            wanted = ::ExpandEnvironmentStringsA(text.c_str(), data, room);
            if (wanted == 0) error = ::GetLastError();
            return wanted != 0;
        });
    if (expanded) return std::string(buffer.data());
    log.message(kSeverityWarning, AppMessage::kExpansionFailed, {static_cast<uint32_t>(error)});
    return text;
}

}  // namespace Velmar
