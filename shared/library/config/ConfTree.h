// A configuration tree and its typed lookups by dotted key paths. Every lookup
// answers a ConfResult and fills its out parameter only on success; nothing
// here throws on a missing or bad entry.
//
// Values may refer to other entries as "${" key "}" (a full dotted path from the
// root); references are replaced by the referenced values on each lookup, never
// stored back.
#pragma once

#include "shared/library/config/DOMNode.h"
#include "shared/library/common/Log.h"
#include "shared/library/time/TimeSpan.h"

#include <cstdint>
#include <vector>
#include <memory>
#include <string>

namespace Velmar {

enum ConfResult : uint32_t {
    CR_OK = 0,             // found; the out parameter holds the value
    CR_NO_VALUE = 1,       // the entry, or one a reference names, has an empty type
    CR_NOT_FOUND = 2,      // no entry under the key, or under a referenced key
    CR_WRONG_TYPE = 3,     // the entry's type is not the one asked for
    CR_BAD_BOOL = 4,       // a Bool entry holds neither true nor false
    CR_BAD_TIME_SPAN = 5,  // a TimeSpan entry's text is no time span
    CR_BAD_REFERENCE = 6,  // "${" without "}" after it, or references that never end
    CR_NO_READER = 7,      // a getter called on an empty reader handle
};

// The bounds of reference resolution: a value referring to itself, directly or
// through other entries, would otherwise grow for ever. Reaching either bound
// answers CR_BAD_REFERENCE.
// Passes beyond one per reference of the raw value (those are never a loop).
constexpr uint32_t kMaxReferencePasses = 1000;
// How far the resolved text may grow beyond the raw value.
constexpr size_t kMaxReferenceGrowth = size_t(1) << 20;

class ConfTree {
public:
    // `log` receives the lookups' debug lines and errors; it must outlive the tree.
    explicit ConfTree(Log& log);
    virtual ~ConfTree();

    ConfTree(const ConfTree&) = delete;
    ConfTree& operator=(const ConfTree&) = delete;

    // Replaces the tree with the one built from `text` (see buildTreeFromText:
    // a syntax error leaves the entries completed before it).
    void build(const std::string& text, const std::string& fileName);

    // Frees the tree; lookups then find nothing.
    void clear() { root_.reset(); }

    // The root, or null before the first build.
    const DOMNode* root() const { return root_.get(); }

    // The entry under a dotted key: at each level the first child whose name
    // equals the component, without backtracking. Null for an empty key, no
    // tree or no match. "a." finds what "a" finds; "a..b" finds nothing.
    const DOMNode* findNode(const std::string& key) const;

    // The common lookup under every getter: finds the entry, checks its type
    // against `typeName`, resolves references and normalises "DirName" (folded
    // separators, trailing backslash) and "FileName" (folded separators) values.
    ConfResult getValue(const std::string& key, const std::string& typeName,
                        std::string& out) const;

    // Type "String"; then trims blanks and lower-cases, when asked.
    ConfResult getString(const std::string& key, std::string& out, bool trim = false,
                         bool lowerCase = false) const;
    // Type "Bool": "true" or "false" in any case, else CR_BAD_BOOL.
    ConfResult getBool(const std::string& key, bool& out) const;
    // Type "Integer": leading digits of the text as a base-10 signed number,
    // clamped to 32 bits; no digits give 0. The conversion never fails.
    ConfResult getInteger(const std::string& key, int32_t& out) const;
    // Type "DirName", blanks trimmed.
    ConfResult getDirName(const std::string& key, std::string& out) const;
    // Type "TimeSpan" in the text form "P...D...H...M...S"; CR_BAD_TIME_SPAN
    // when the text does not parse.
    ConfResult getTimeSpan(const std::string& key, TimeSpan& out) const;
    // Appends the names of the entry's children, in order; CR_OK or CR_NOT_FOUND.
    ConfResult getSubObjects(const std::string& key, std::vector<std::string>& names) const;

private:
    // Replaces the references in `value`; CR_OK or the failing code.
    ConfResult resolveReferences(const std::string& key, std::string& value) const;

    Log& log_;
    std::unique_ptr<DOMNode> root_;
};

}  // namespace Velmar
