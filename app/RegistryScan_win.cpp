#include "app/RegistryScan.h"

#include "app/RegistryWalk.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/system/References.h"
#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/system/RegistryKey.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace Velmar {

namespace {

// Expansion starts with this many bytes per character of the text.
constexpr size_t kExpansionFactor = 4;

// References in registry texts name values of the suite key.
class SuiteValues : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        return readSuiteValue(name, text) == kRegOk;
    }
};

// Expansion from the process's environment.
class ProcessEnvironment : public TextExpander {
public:
    explicit ProcessEnvironment(Log& log) : log_(log) {}
    std::string expand(const std::string& text) override { return expandEnvironment(text, log_); }

private:
    Log& log_;
};

// The live registry as a key source: a thin adapter over RegistryKey and its
// iterators, which keep their buffers from key to key.
class LiveKeySource : public KeySource {
public:
    LiveKeySource(HKEY root, bool view32)
        : root_(root), view_(view32 ? RegistryView::kThirtyTwoBit : RegistryView::kOwn) {}

    std::unique_ptr<Key> open(Key* parent, const std::string& name, bool& valuesOpen) override {
        const HKEY from = parent ? static_cast<LiveKey*>(parent)->key.get() : root_;
        auto key = std::make_unique<LiveKey>();
        // One handle serves both listings; a key that lets its subkeys be
        // listed but not its values is opened again for the subkeys alone.
        valuesOpen = true;
        if (key->key.open(from, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, view_) !=
            ERROR_SUCCESS) {
            valuesOpen = false;
            if (key->key.open(from, name, KEY_ENUMERATE_SUB_KEYS, view_) != ERROR_SUCCESS) {
                return nullptr;
            }
        }
        return key;
    }

    bool subKeys(Key& key, std::vector<std::string>& names) override {
        subKeyList_.reset(static_cast<LiveKey&>(key).key.get());
        while (subKeyList_.next()) names.push_back(subKeyList_.name());
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

void scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                      std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log) {
    LiveKeySource source(root, view32);
    SuiteValues suite;
    ProcessEnvironment environment(log);
    walkRegistry(source, rootName, keyQueue, sink, log, suite, environment);
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
