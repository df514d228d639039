#include "app/RegistryWalk.h"

#include "app/RegistryText.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/files/FileUtils.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace Velmar {

namespace {

// The debug levels at which the walk reports each key and its counts.
constexpr int32_t kKeyDebugLevel = 4;
constexpr int32_t kDetailDebugLevel = 5;
constexpr char kDefaultValueName[] = "(Default)";
constexpr char kReferenceStart[] = "${";

// A key whose subkeys are still to be visited: it stays open so that each of
// them is opened from it by its own name. The walk holds one per level of depth.
struct Frame {
    std::unique_ptr<KeySource::Key> key;
    std::string path;
    std::vector<SubKeyName> waiting;  // in listing order, taken from the back
};

class Walk {
public:
    Walk(KeySource& source, const std::string& rootName, CandidateSink& sink, Log& log,
         const WalkContext& context)
        : source_(source), rootName_(rootName), sink_(sink), log_(log), context_(context) {}

    size_t run(std::deque<std::string>& queue) {
        keyLines_ = log_.debugLevel() >= kKeyDebugLevel;
        detail_ = log_.debugLevel() >= kDetailDebugLevel;
        while (!queue.empty()) {
            SubKeyName start{std::move(queue.back()), {}};
            queue.pop_back();
            std::string path = start.name;
            visit(nullptr, start, std::move(path));
            while (!frames_.empty()) {
                Frame& top = frames_.back();
                if (top.waiting.empty()) {
                    frames_.pop_back();
                    continue;
                }
                const SubKeyName child = std::move(top.waiting.back());
                top.waiting.pop_back();
                KeySource::Key* parent = top.key.get();
                visit(parent, child, top.path.empty() ? child.name : top.path + "\\" + child.name);
            }
        }
        return walked_;
    }

private:
    void visit(KeySource::Key* parent, const SubKeyName& name, std::string path) {
        if (keyLines_ && !path.empty()) {
            log_.debug(kKeyDebugLevel, "Scanning key \"%s\\%s\"...", {rootName_, path});
        }
        bool valuesOpen = true;
        std::unique_ptr<KeySource::Key> key = source_.open(parent, name, valuesOpen);
        std::vector<SubKeyName> subKeys;
        if (!key || !source_.subKeys(*key, subKeys)) {
            log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
            return;
        }
        ++walked_;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i subkey(s).",
                       {static_cast<int32_t>(subKeys.size())});
        }
        // The hive's own values are not looked at.
        if (!path.empty()) visitValues(*key, path, valuesOpen);
        if (!subKeys.empty()) {
            frames_.push_back({std::move(key), std::move(path), std::move(subKeys)});
        }
    }

    void visitValues(KeySource::Key& key, const std::string& path, bool valuesOpen) {
        // Only a key named like an executable is one: below Applications\x.exe
        // the keys "shell", "open" and "command" name nothing.
        if (hasExeMarker(path)) {
            const std::string keyName = fileName(path);
            if (hasExeMarker(keyName)) sink_.processCandidate(keyName);
        }
        size_t count = 0;
        // A key whose values cannot be opened is a failure other than a denied listing.
        const ListResult listed =
            valuesOpen ? source_.values(key, values_, count) : ListResult::kFailed;
        if (listed == ListResult::kDenied) {
            log_.debug(1, "   Got access denied when trying to open \"%s\\%s\".",
                       {rootName_, path});
            return;
        }
        if (listed != ListResult::kOk) {
            log_.message(kSeverityWarning, AppMessage::kValuesUnlisted, {rootName_, path});
            return;
        }
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i value(s).", {static_cast<int32_t>(count)});
        }
        // Ascending by name: sources list values as they were written.
        order_.clear();
        for (size_t i = 0; i < count; ++i) order_.push_back(&values_[i]);
        std::sort(order_.begin(), order_.end(),
                  [](const SourceValue* a, const SourceValue* b) { return a->name < b->name; });
        for (const SourceValue* value : order_) visitValue(path, *value);
    }

    void visitValue(const std::string& path, const SourceValue& value) {
        const std::string& name = value.name;
        if (!value.wideName.empty()) {
            if (hasExeMarker(value.wideName)) sink_.processWideCandidate(value.wideName);
        } else if (hasExeMarker(name) && !sink_.processCandidate(name)) {
            sink_.processCandidate(fileName(name));
        }
        if (!isTextType(value.type)) return;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Value name \"%s\"...",
                       {name.empty() ? std::string(kDefaultValueName) : name});
        }
        if (value.hasWideText) {
            visitWideText(path, value);
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
            resolveReferences(resolved, context_.references);
            text = &resolved;
        }
        if (!hasExeMarker(*text)) return;
        for (std::string& piece : splitExecutablePaths(*text)) {
            if (value.type == kRegExpandSz) piece = context_.expander.expand(path, piece);
            sink_.processCandidate(std::move(piece));
        }
    }

    // A text that the code page cannot hold: each executable path in it that
    // converts goes on as in an 8-bit text, each other one in UTF-16. Suite
    // references and environment references are 8-bit texts: such pieces are
    // taken as they stand.
    void visitWideText(const std::string& path, const SourceValue& value) {
        if (!hasExeMarker(value.wideText)) return;
        for (const std::u16string& piece : splitExecutablePaths(value.wideText)) {
            std::string text;
            if (context_.convert(piece, text)) {
                if (value.type == kRegExpandSz) text = context_.expander.expand(path, text);
                sink_.processCandidate(std::move(text));
            } else {
                sink_.processWideCandidate(piece);
            }
        }
    }

    KeySource& source_;
    const std::string& rootName_;
    CandidateSink& sink_;
    Log& log_;
    const WalkContext& context_;
    bool keyLines_ = false;
    bool detail_ = false;
    size_t walked_ = 0;
    std::vector<Frame> frames_;
    // Kept from key to key so that the walk allocates only when a key needs more.
    std::vector<SourceValue> values_;
    std::vector<const SourceValue*> order_;
};

}  // namespace

size_t walkRegistry(KeySource& source, const std::string& rootName,
                    std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log,
                    const WalkContext& context) {
    log.debug(2, "Scanning root key \"%s\"...", {rootName});
    return Walk(source, rootName, sink, log, context).run(keyQueue);
}

}  // namespace Velmar
