// Configuration texts: tokens, the tree and lookups of keys drawn from the text.
// Tokens must cover the text exactly, in order, without empty tokens; a build
// must never crash, whatever the nesting or the bytes; every lookup must end
// (references that refer to themselves included) and answer a known code.
#include "shared/library/config/ConfParser.h"
#include "shared/library/config/ConfSearcher.h"
#include "shared/library/config/ConfTree.h"
#include "shared/library/config/Tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace Velmar;

// Lookups of a fuzz run touch every parameter but keep nothing.
class SilentLog : public Log {
public:
    int32_t debugLevel() const override { return 5; }
    void debug(int32_t level, const char* format, const LogParams& params) override {
        if (level < 1 || level > 5 || format == nullptr) std::abort();
        touch(params);
    }
    void message(Severity severity, int32_t number, const LogParams& params) override {
        if (severity != kSeverityError || number < 1 || number > 3 || params.empty()) std::abort();
        touch(params);
    }
    size_t bytes = 0;

private:
    void touch(const LogParams& params) {
        for (const LogParam& p : params) bytes += p.tag == 'n' ? 1 : p.text.size();
    }
};

// Keys per run: words of the text, then paths of the tree. Each lookup of a
// self-referring value runs to the resolution bound, so keep the count modest.
constexpr size_t kMaxKeys = 16;

void checkTokens(const std::string& text, std::vector<std::string>& words) {
    ConfSearcher searcher;
    Tokenizer tokenizer(&text, &searcher);
    Token token;
    size_t covered = 0;
    while (tokenizer.nextToken(token)) {
        if (token.text().empty() || tokenizer.previousPosition() != covered) std::abort();
        if (text.compare(covered, token.text().size(), token.text()) != 0) std::abort();
        covered += token.text().size();
        if (token.isSignificant() && words.size() < kMaxKeys) words.push_back(token.text());
    }
    if (covered != text.size()) std::abort();
}

// Dotted paths of the first nodes of the tree, breadth first.
void collectPaths(const DOMNode* root, std::vector<std::string>& keys) {
    struct Item {
        const DOMNode* node;
        std::string path;
    };
    std::vector<Item> queue{{root, ""}};
    for (size_t i = 0; i < queue.size() && keys.size() < 2 * kMaxKeys; ++i) {
        for (const DOMNode* c = queue[i].node->firstChild(); c; c = c->nextSibling()) {
            std::string path = queue[i].path.empty() ? c->name() : queue[i].path + "." + c->name();
            keys.push_back(path);
            queue.push_back({c, path});
            if (keys.size() >= 2 * kMaxKeys) break;
        }
    }
}

void lookUp(const ConfTree& tree, const std::string& key) {
    static const char* const kTypes[] = {"String", "DirName", "FileName"};
    for (const char* type : kTypes) {
        std::string value = "untouched";
        const ConfResult result = tree.getValue(key, type, value);
        if (result > CR_BAD_REFERENCE || result == CR_BAD_BOOL || result == CR_BAD_TIME_SPAN) {
            std::abort();
        }
        if (result != CR_OK && value != "untouched") std::abort();
    }
    std::string text;
    bool flag = false;
    int32_t number = 0;
    TimeSpan span;
    std::vector<std::string> names;
    tree.getString(key, text, true, true);
    tree.getBool(key, flag);
    tree.getInteger(key, number);
    tree.getDirName(key, text);
    tree.getTimeSpan(key, span);
    const ConfResult sub = tree.getSubObjects(key, names);
    if ((sub == CR_OK) != (tree.findNode(key) != nullptr)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> keys;
    checkTokens(text, keys);

    SilentLog log;
    ConfTree tree(log);
    tree.build(text, "fuzz.conf");
    if (tree.root() == nullptr || tree.root()->name() != "Root") std::abort();
    collectPaths(tree.root(), keys);

    for (const std::string& key : keys) {
        const DOMNode* node = tree.findNode(key);
        // A path of names without dots finds a node of the last name.
        if (node != nullptr) {
            const size_t dot = key.rfind('.');
            const std::string last = dot == std::string::npos ? key : key.substr(dot + 1);
            if (!last.empty() && node->name() != last && key.find('.') == std::string::npos) {
                std::abort();
            }
        }
        lookUp(tree, key);
    }

    // A second build replaces the first.
    tree.build(text, "fuzz.conf");
    return 0;
}
