// What the registry scan walks: a registry that can open a key below another
// by name, list a key's subkeys and list its values with type and data. The
// live registry is one; a hive file read into memory is another. Names and
// texts are 8-bit, as the program keeps them; where the code page cannot hold
// one, its UTF-16 form comes with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Velmar {

// Registry value types that the scan reads as text.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegMultiSz = 7;

inline bool isTextType(uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// A subkey as a source lists it: its 8-bit name for paths and messages ("?"
// for each character the code page cannot hold: such a form opens nothing),
// and the UTF-16 name that opens it.
struct SubKeyName {
    std::string name;
    std::u16string wide;
};

// One value as a source lists it. `name` is 8-bit, with "?" where the code
// page cannot hold a character; `wideName` is then the name itself (else
// empty). `hasText` only for a text type whose data could be had and
// converts (every trailing zero removed, zeros between strings kept);
// `hasWideText` when it could be had but does not convert: `wideText` is then
// the text in UTF-16.
struct SourceValue {
    std::string name;
    std::u16string wideName;
    uint32_t type = 0;
    bool hasText = false;
    std::string text;
    bool hasWideText = false;
    std::u16string wideText;
};

enum class ListResult { kOk, kDenied, kFailed };

class KeySource {
public:
    // An open key; the source's own.
    class Key {
    public:
        virtual ~Key() = default;
    };

    virtual ~KeySource() = default;

    // Opens the subkey `child` of `parent` (by its UTF-16 name), or, when
    // `parent` is null, the key whose path from the root `child.name` is (""
    // for the root itself). Null when it cannot be opened. `valuesOpen` false
    // when it opened for its subkeys only.
    virtual std::unique_ptr<Key> open(Key* parent, const SubKeyName& child, bool& valuesOpen) = 0;
    // The key's subkeys in listing order, appended to `names`; false when
    // listing fails.
    virtual bool subKeys(Key& key, std::vector<SubKeyName>& names) = 0;
    // The key's values in listing order, into the first `count` elements of
    // `values` (elements are reused from key to key, never removed).
    virtual ListResult values(Key& key, std::vector<SourceValue>& values, size_t& count) = 0;
};

// How a source's REG_EXPAND_SZ texts are expanded: `text` is a piece of a
// value of the key at `keyPath` (below the walk's root).
class TextExpander {
public:
    virtual ~TextExpander() = default;
    virtual std::string expand(const std::string& keyPath, const std::string& text) = 0;
};

}  // namespace Velmar
