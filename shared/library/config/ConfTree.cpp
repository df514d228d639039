#include "shared/library/config/ConfTree.h"

#include "shared/library/config/ConfParser.h"
#include "shared/library/common/Exception.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/IntegerText.h"

#include <cerrno>
#include <cstdlib>

namespace Velmar {
namespace {

const char kReferenceOpen[] = "${";

}  // namespace

ConfTree::ConfTree(Log& log) : log_(log) {}

ConfTree::~ConfTree() = default;

void ConfTree::build(const std::string& text, const std::string& fileName) {
    buildTreeFromText(text, fileName, root_, log_);
}

const DOMNode* ConfTree::findNode(const std::string& key) const {
    if (key.empty() || !root_) return nullptr;
    std::string rest = key;
    const DOMNode* node = root_.get();
    for (;;) {
        const std::string head = splitHead(rest, '.');
        const DOMNode* child = node->firstChild();
        while (child != nullptr && child->name() != head) child = child->nextSibling();
        if (child == nullptr || rest.empty()) return child;
        node = child;
    }
}

ConfResult ConfTree::resolveReferences(const std::string& key, std::string& value) const {
    const size_t maxLength = value.size() + kMaxReferenceGrowth;
    // Each reference of the raw value takes one pass; only passes beyond
    // them come from references inside inserted values, where a loop lives.
    size_t maxPasses = kMaxReferencePasses;
    for (size_t at = value.find(kReferenceOpen); at != std::string::npos;
         at = value.find(kReferenceOpen, at + 1)) {
        ++maxPasses;
    }
    // No "${" lies wholly before the place of the last replacement, so each
    // search may start one character before it (the inserted text can complete
    // a "$" left just before it); this finds what a search from the beginning finds.
    size_t searchFrom = 0;
    for (size_t passes = 0;; ++passes) {
        const size_t open = value.find(kReferenceOpen, searchFrom);
        if (open == std::string::npos) return CR_OK;
        const size_t close = value.find('}', open);
        if (close == std::string::npos || passes == maxPasses || value.size() > maxLength) {
            log_.message(kSeverityError, ConfMessage::kUnresolvableValue, {key});
            return CR_BAD_REFERENCE;
        }
        const std::string name = value.substr(open + 2, close - open - 2);
        const DOMNode* target = findNode(name);
        if (target == nullptr) {
            log_.debug(5, "ConfReader: Found, but reference inside value was not.", {});
            return CR_NOT_FOUND;
        }
        if (target->type().empty()) {
            log_.debug(5, "ConfReader: Found, but reference inside value didn't have a value.", {});
            return CR_NO_VALUE;
        }
        std::string inserted = target->value();
        log_.debug(5, "ConfReader: Reference \"%s\" = \"%s\".", {name, inserted});
        if (target->type() == "DirName") ensureTrailingSeparator(inserted);
        value.replace(open, close - open + 1, inserted);
        searchFrom = open == 0 ? 0 : open - 1;
    }
}

ConfResult ConfTree::getValue(const std::string& key, const std::string& typeName,
                              std::string& out) const {
    log_.debug(5, "ConfReader: Getting %s %s...", {typeName, key});
    const DOMNode* node = findNode(key);
    if (node == nullptr) {
        log_.debug(5, "ConfReader: Not found.", {});
        return CR_NOT_FOUND;
    }
    if (node->type().empty()) {
        log_.debug(5, "ConfReader: Found, but has no value.", {});
        return CR_NO_VALUE;
    }
    if (node->type() != typeName) {
        log_.debug(1, "ConfReader: Found, but type is \"%s\", not \"%s\".",
                   {node->type(), typeName});
        return CR_WRONG_TYPE;
    }
    std::string value = node->value();
    log_.debug(5, "ConfReader: Got raw value \"%s\".", {value});
    const ConfResult resolved = resolveReferences(key, value);
    if (resolved != CR_OK) return resolved;

    if (typeName == "DirName" && !value.empty()) {
        normaliseSeparators(value);
        ensureTrailingSeparator(value);
    } else if (typeName == "FileName") {
        normaliseSeparators(value);
    }
    log_.debug(5, "ConfReader: Got final value \"%s\".", {value});
    out = std::move(value);
    return CR_OK;
}

ConfResult ConfTree::getString(const std::string& key, std::string& out, bool trim,
                               bool lowerCase) const {
    std::string value;
    const ConfResult result = getValue(key, "String", value);
    if (result != CR_OK) return result;
    if (trim) trimBlanks(value);
    if (lowerCase) toLowerCase(value);
    out = std::move(value);
    return CR_OK;
}

ConfResult ConfTree::getBool(const std::string& key, bool& out) const {
    std::string value;
    const ConfResult result = getValue(key, "Bool", value);
    if (result != CR_OK) return result;
    toLowerCase(value);
    if (value == "true") {
        out = true;
    } else if (value == "false") {
        out = false;
    } else {
        return CR_BAD_BOOL;
    }
    return CR_OK;
}

ConfResult ConfTree::getInteger(const std::string& key, int32_t& out) const {
    std::string value;
    const ConfResult result = getValue(key, "Integer", value);
    if (result != CR_OK) return result;
    // strtol saturates at the range of long, which on some platforms is wider
    // than 32 bits; the clamp then does the rest.
    out = clampToInt32(std::strtol(value.c_str(), nullptr, 10));
    return CR_OK;
}

ConfResult ConfTree::getDirName(const std::string& key, std::string& out) const {
    std::string value;
    const ConfResult result = getValue(key, "DirName", value);
    if (result != CR_OK) return result;
    trimBlanks(value);
    out = std::move(value);
    return CR_OK;
}

ConfResult ConfTree::getTimeSpan(const std::string& key, TimeSpan& out) const {
    std::string value;
    const ConfResult result = getValue(key, "TimeSpan", value);
    if (result != CR_OK) return result;
    try {
        out = TimeSpan(TimeSpan::parse(value));
    } catch (const TimeException&) {
        return CR_BAD_TIME_SPAN;
    }
    return CR_OK;
}

ConfResult ConfTree::getSubObjects(const std::string& key, std::vector<std::string>& names) const {
    log_.debug(5, "ConfReader: Getting sub-objects of \"%s\".", {key});
    const DOMNode* node = findNode(key);
    if (node == nullptr) {
        log_.debug(5, "ConfReader: None found.", {});
        return CR_NOT_FOUND;
    }
    for (const DOMNode* child = node->firstChild(); child != nullptr;
         child = child->nextSibling()) {
        names.push_back(child->name());
    }
    log_.debug(5, "ConfReader: Found %i sub-objects.", {static_cast<int32_t>(names.size())});
    return CR_OK;
}

}  // namespace Velmar
