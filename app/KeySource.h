// What the registry scan walks: a registry that can open a key below another
// by name, list a key's subkeys and list its values with type and data. The
// live registry is one; a hive file read into memory is another. Texts are
// 8-bit, as the program keeps them.
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

// One value as a source lists it. `hasText` only for a text type whose data
// could be had (every trailing zero byte removed, zero bytes between strings
// kept); `foreignText` when the data was there but has no 8-bit form in the
// program's code page, so it is no text the scan can use.
struct SourceValue {
    std::string name;
    uint32_t type = 0;
    bool hasText = false;
    bool foreignText = false;
    std::string text;
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

    // Opens `name` below `parent`, or the key whose path from the root `name`
    // is when `parent` is null ("" for the root itself). Null when it cannot
    // be opened. `valuesOpen` false when it opened for its subkeys only.
    virtual std::unique_ptr<Key> open(Key* parent, const std::string& name, bool& valuesOpen) = 0;
    // The names of the key's subkeys in listing order; false when listing fails.
    virtual bool subKeys(Key& key, std::vector<std::string>& names) = 0;
    // The key's values in listing order, into the first `count` elements of
    // `values` (elements are reused from key to key, never removed).
    virtual ListResult values(Key& key, std::vector<SourceValue>& values, size_t& count) = 0;
};

// How a source's REG_EXPAND_SZ texts are expanded.
class TextExpander {
public:
    virtual ~TextExpander() = default;
    virtual std::string expand(const std::string& text) = 0;
};

}  // namespace Velmar
