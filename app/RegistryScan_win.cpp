#include "app/RegistryScan.h"

#include "app/RegistryText.h"
#include "shared/library/common/AnsiText.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/system/References.h"
#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/system/RegistryKey.h"

#include <algorithm>
#include <vector>

namespace Velmar {

namespace {

// The debug levels at which the walk reports each key and its counts.
constexpr int32_t kKeyDebugLevel = 4;
constexpr int32_t kDetailDebugLevel = 5;
// Expansion starts with this many bytes per character of the text.
constexpr size_t kExpansionFactor = 4;
constexpr char kDefaultValueName[] = "(Default)";
constexpr char kReferenceStart[] = "${";

// References in registry texts name values of the suite key.
class SuiteValues : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        return readSuiteValue(name, text) == kRegOk;
    }
};

// One value of a key as the listing gave it: its text only for a text type
// whose data could be had.
struct Value {
    std::string name;
    DWORD type = REG_NONE;
    bool hasText = false;
    std::string text;
    // A name or text that the code page cannot hold, in UTF-16 (else empty).
    std::u16string wideName;
    bool hasWideText = false;
    std::u16string wideText;
};

// A key whose subkeys are still to be visited: it stays open so that each of
// them is opened from it by its own name. The walk holds one per level of depth.
struct Frame {
    RegistryKey key;
    std::string path;
    // In listing order, taken from the back: the 8-bit name for the path, the
    // UTF-16 one to open it by (a name the code page cannot hold opens only so).
    std::vector<std::pair<std::string, std::u16string>> waiting;
};

class Walk {
public:
    Walk(HKEY root, const std::string& rootName, bool view32, CandidateSink& sink, Log& log)
        : root_(root),
          rootName_(rootName),
          view_(view32 ? RegistryView::kThirtyTwoBit : RegistryView::kOwn),
          sink_(sink),
          log_(log) {}

    // Each queued path is opened from the root, every key below it from its
    // parent. Last in, first out at every level: depth first, the subkeys of a
    // key in the reverse of their listing order.
    // Answers the number of keys whose subkeys were listed.
    size_t run(std::deque<std::string>& queue) {
        keyLines_ = log_.debugLevel() >= kKeyDebugLevel;
        detail_ = log_.debugLevel() >= kDetailDebugLevel;
        while (!queue.empty()) {
            std::string path = std::move(queue.back());
            queue.pop_back();
            const std::string name = path;
            visit(root_, name, nullptr, std::move(path));
            while (!frames_.empty()) {
                Frame& top = frames_.back();
                if (top.waiting.empty()) {
                    frames_.pop_back();
                    continue;
                }
                const auto child = std::move(top.waiting.back());
                top.waiting.pop_back();
                const HKEY parent = top.key.get();
                visit(parent, child.first, &child.second,
                      top.path.empty() ? child.first : top.path + "\\" + child.first);
            }
        }
        return walked_;
    }

private:
    // Opens `name` (by `wide` when given) below `parent` as the key `path`
    // and looks at it; a key with subkeys stays open on frames_ until they
    // are done.
    void visit(HKEY parent, const std::string& name, const std::u16string* wide,
               std::string path) {
        if (keyLines_ && !path.empty()) {
            log_.debug(kKeyDebugLevel, "Scanning key \"%s\\%s\"...", {rootName_, path});
        }
        // One handle serves both listings; a key that lets its subkeys be
        // listed but not its values is opened again for the subkeys alone.
        RegistryKey key;
        const auto open = [&](REGSAM access) {
            return wide != nullptr ? key.open(parent, *wide, access, view_)
                                   : key.open(parent, name, access, view_);
        };
        bool valuesOpen = true;
        if (open(KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE) != ERROR_SUCCESS) {
            valuesOpen = false;
            if (open(KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS) {
                log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
                return;
            }
        }
        std::vector<std::pair<std::string, std::u16string>> subKeys;
        subKeyList_.reset(key.get());
        while (subKeyList_.next()) subKeys.emplace_back(subKeyList_.name(), subKeyList_.wideName());
        if (subKeyList_.result() != ERROR_SUCCESS) {
            log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
            return;
        }
        ++walked_;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i subkey(s).",
                       {static_cast<int32_t>(subKeys.size())});
        }
        // The hive's own values are not looked at.
        if (!path.empty()) visitValues(key, path, valuesOpen);
        if (!subKeys.empty()) {
            frames_.push_back({std::move(key), std::move(path), std::move(subKeys)});
        }
    }

    void visitValues(const RegistryKey& key, const std::string& path, bool valuesOpen) {
        // Only a key named like an executable is one: below Applications\x.exe
        // the keys "shell", "open" and "command" name nothing.
        if (hasExeMarker(path)) {
            const std::string keyName = fileName(path);
            if (hasExeMarker(keyName)) sink_.processCandidate(keyName);
        }
        // A key whose values cannot be opened is a failure other than a denied listing.
        const LONG listed = valuesOpen ? listValues(key.get()) : ERROR_INVALID_HANDLE;
        if (listed == ERROR_ACCESS_DENIED) {
            log_.debug(1, "   Got access denied when trying to open \"%s\\%s\".",
                       {rootName_, path});
            return;
        }
        if (listed != ERROR_SUCCESS) {
            log_.message(kSeverityWarning, AppMessage::kValuesUnlisted, {rootName_, path});
            return;
        }
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i value(s).",
                       {static_cast<int32_t>(order_.size())});
        }
        for (const Value* value : order_) visitValue(path, *value);
    }

    // Fills order_ with the key's values from one listing, ascending by name
    // (the registry lists them as they were written); the registry's result.
    LONG listValues(HKEY key) {
        size_t count = 0;
        valueList_.reset(key);
        while (valueList_.next()) {
            if (count == values_.size()) values_.emplace_back();
            Value& value = values_[count++];
            value.name = valueList_.name();
            value.type = valueList_.type();
            value.hasText = valueList_.text(value.text);
            value.hasWideText = !value.hasText && valueList_.wideText(value.wideText);
            value.wideName.clear();
            if (!valueList_.nameConverts()) value.wideName = valueList_.wideName();
        }
        order_.clear();
        for (size_t i = 0; i < count; ++i) order_.push_back(&values_[i]);
        std::sort(order_.begin(), order_.end(),
                  [](const Value* a, const Value* b) { return a->name < b->name; });
        return valueList_.result();
    }

    void visitValue(const std::string& path, const Value& value) {
        const std::string& name = value.name;
        if (!value.wideName.empty()) {
            if (hasExeMarker(value.wideName)) sink_.processWideCandidate(value.wideName);
        } else if (hasExeMarker(name) && !sink_.processCandidate(name)) {
            sink_.processCandidate(fileName(name));
        }
        if (!isRegistryTextType(value.type)) return;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Value name \"%s\"...",
                       {name.empty() ? std::string(kDefaultValueName) : name});
        }
        if (value.hasWideText) {
            visitWideText(value);
            return;
        }
        if (!value.hasText) {
            log_.message(kSeverityWarning, AppMessage::kValueTextUnreadable,
                         {name, rootName_, path});
            return;
        }
        // A reference may bring a marker in, so references go first.
        const std::string* text = &value.text;
        std::string resolved;
        if (text->find(kReferenceStart) != std::string::npos) {
            resolved = *text;
            SuiteValues suite;
            resolveReferences(resolved, suite);
            text = &resolved;
        }
        if (!hasExeMarker(*text)) return;
        for (std::string& piece : splitExecutablePaths(*text)) {
            if (value.type == REG_EXPAND_SZ) piece = expandEnvironment(piece, log_);
            sink_.processCandidate(std::move(piece));
        }
    }

    // A text that the code page cannot hold: each executable path in it that
    // converts goes on as in an 8-bit text, each other one in UTF-16. Suite
    // references and environment references are 8-bit texts: such pieces are
    // taken as they stand.
    void visitWideText(const Value& value) {
        if (!hasExeMarker(value.wideText)) return;
        for (const std::u16string& piece : splitExecutablePaths(value.wideText)) {
            std::string text;
            if (toAnsi(piece, text)) {
                if (value.type == REG_EXPAND_SZ) text = expandEnvironment(text, log_);
                sink_.processCandidate(std::move(text));
            } else {
                sink_.processWideCandidate(piece);
            }
        }
    }

    HKEY root_;
    const std::string& rootName_;
    RegistryView view_;
    CandidateSink& sink_;
    Log& log_;
    bool keyLines_ = false;
    bool detail_ = false;
    size_t walked_ = 0;
    std::vector<Frame> frames_;
    // Kept from key to key so that the walk allocates only when a key needs more.
    SubKeyIterator subKeyList_;
    ValueIterator valueList_;
    std::vector<Value> values_;
    std::vector<const Value*> order_;
};

}  // namespace

size_t scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                        std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log) {
    log.debug(2, "Scanning root key \"%s\"...", {rootName});
    return Walk(root, rootName, view32, sink, log).run(keyQueue);
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
