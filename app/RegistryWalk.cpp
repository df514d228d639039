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
    std::vector<std::string> waiting;  // in listing order, taken from the back
};

bool isTextType(uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

class Walk {
public:
    Walk(KeySource& source, const std::string& rootName, CandidateSink& sink, Log& log,
         ReferenceSource& references, TextExpander& expander)
        : source_(source),
          rootName_(rootName),
          sink_(sink),
          log_(log),
          references_(references),
          expander_(expander) {}

    void run(std::deque<std::string>& queue) {
        keyLines_ = log_.debugLevel() >= kKeyDebugLevel;
        detail_ = log_.debugLevel() >= kDetailDebugLevel;
        while (!queue.empty()) {
            std::string path = std::move(queue.back());
            queue.pop_back();
            const std::string name = path;
            visit(nullptr, name, std::move(path));
            while (!frames_.empty()) {
                Frame& top = frames_.back();
                if (top.waiting.empty()) {
                    frames_.pop_back();
                    continue;
                }
                const std::string child = std::move(top.waiting.back());
                top.waiting.pop_back();
                KeySource::Key* parent = top.key.get();
                visit(parent, child, top.path.empty() ? child : top.path + "\\" + child);
            }
        }
    }

private:
    void visit(KeySource::Key* parent, const std::string& name, std::string path) {
        if (keyLines_ && !path.empty()) {
            log_.debug(kKeyDebugLevel, "Scanning key \"%s\\%s\"...", {rootName_, path});
        }
        bool valuesOpen = true;
        std::unique_ptr<KeySource::Key> key = source_.open(parent, name, valuesOpen);
        std::vector<std::string> subKeys;
        if (!key || !source_.subKeys(*key, subKeys)) {
            log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
            return;
        }
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i subkey(s).",
                       {static_cast<int32_t>(subKeys.size())});
        }
        // The hive's own values are not looked at.
        if (!path.empty()) visitValues(*key, path, valuesOpen);
        if (!subKeys.empty())
            frames_.push_back({std::move(key), std::move(path), std::move(subKeys)});
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
        if (hasExeMarker(name) && !sink_.processCandidate(name)) {
            sink_.processCandidate(fileName(name));
        }
        if (!isTextType(value.type)) return;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Value name \"%s\"...",
                       {name.empty() ? std::string(kDefaultValueName) : name});
        }
        if (value.foreignText) return;
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
            resolveReferences(resolved, references_);
            text = &resolved;
        }
        if (!hasExeMarker(*text)) return;
        for (std::string& piece : splitExecutablePaths(*text)) {
            if (value.type == kRegExpandSz) piece = expander_.expand(piece);
            sink_.processCandidate(std::move(piece));
        }
    }

    KeySource& source_;
    const std::string& rootName_;
    CandidateSink& sink_;
    Log& log_;
    ReferenceSource& references_;
    TextExpander& expander_;
    bool keyLines_ = false;
    bool detail_ = false;
    std::vector<Frame> frames_;
    // Kept from key to key so that the walk allocates only when a key needs more.
    std::vector<SourceValue> values_;
    std::vector<const SourceValue*> order_;
};

}  // namespace

void walkRegistry(KeySource& source, const std::string& rootName, std::deque<std::string>& keyQueue,
                  CandidateSink& sink, Log& log, ReferenceSource& references,
                  TextExpander& expander) {
    log.debug(2, "Scanning root key \"%s\"...", {rootName});
    Walk(source, rootName, sink, log, references, expander).run(keyQueue);
}

}  // namespace Velmar
