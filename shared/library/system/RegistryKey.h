// One open registry key: a move-only owner of an HKEY whose operations answer
// the registry's own LONG result (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
// ERROR_ACCESS_DENIED, ...), so that a missing key and a denied one stay apart
// until a public function makes its result code; and the iterators over a
// key's sub-keys and values. Names and data go through the 8-bit (ANSI)
// interface. Nothing here throws except std::bad_alloc.
#pragma once

#include "shared/library/common/WinHandle.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Velmar {

// The registry view a key is opened in: the process's own, or the 32-bit one
// (which a 64-bit process reaches below "Wow6432Node" and a 32-bit process
// sees as its own).
enum class RegistryView { kOwn, kThirtyTwoBit };

// The root key of one of the five hive names ("HKEY_CLASSES_ROOT",
// "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
// "HKEY_USERS"), matched exactly; false and `root` untouched for any other name.
bool hiveRootKey(const std::string& name, HKEY& root);

// Whether values of this registry type are read as text: REG_SZ,
// REG_EXPAND_SZ and REG_MULTI_SZ.
bool isRegistryTextType(DWORD type);

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&&) noexcept = default;
    RegistryKey& operator=(RegistryKey&&) noexcept = default;

    // Opens the existing key `path` below `parent` (a root key or an open key,
    // `path` then being a sub-key's own name) with `access` in `view`. A key
    // held before is closed first; on failure none is held.
    LONG open(HKEY parent, const std::string& path, REGSAM access, RegistryView view);
    // As open, creating the key and any missing parents first.
    LONG create(HKEY parent, const std::string& path, REGSAM access, RegistryView view);

    bool valid() const { return key_.valid(); }
    HKEY get() const { return key_.get(); }

    // One query of the value into `data` as it is sized (KEY_QUERY_VALUE). On
    // ERROR_SUCCESS `data` is cut to the bytes read; a value larger than `data`
    // gives ERROR_MORE_DATA.
    LONG queryValue(const std::string& name, DWORD& type, std::vector<char>& data) const;
    // The whole value: queried into `data` as it is sized (at least one byte),
    // and again into a larger buffer for as long as the registry reports
    // ERROR_MORE_DATA. On ERROR_SUCCESS `data` holds exactly the bytes read.
    // String data is given as stored: it may lack its terminating zero.
    LONG readValue(const std::string& name, DWORD& type, std::vector<char>& data) const;
    // A text value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), unexpanded, every
    // trailing zero byte removed, zero bytes between strings kept. The first
    // query goes into 100 bytes. ERROR_UNSUPPORTED_TYPE for a value of any
    // other type; `text` is changed only on ERROR_SUCCESS.
    LONG readText(const std::string& name, std::string& text) const;
    // Sets the value (KEY_SET_VALUE).
    LONG writeValue(const std::string& name, DWORD type, const void* data, DWORD size) const;

private:
    UniqueHKey key_;
};

// The names of an open key's sub-keys, in enumeration order, one
// RegEnumKeyExA per name (the key needs KEY_ENUMERATE_SUB_KEYS). The name
// buffer is kept from name to name and from key to key, and grows when the
// registry says a name does not fit (an ANSI name can take more bytes than
// characters); a name past 1 MiB ends the listing with ERROR_MORE_DATA.
class SubKeyIterator {
public:
    // An iterator over no key; `reset` gives it one.
    SubKeyIterator();
    explicit SubKeyIterator(HKEY key);

    // Starts over at the first sub-key of `key`, keeping the buffer.
    void reset(HKEY key);
    // Moves to the next name: true when there is one; false at the end
    // (result() ERROR_SUCCESS) or when the registry fails (result() says how).
    bool next();
    // The current name; valid after next() answered true.
    const std::string& name() const { return name_; }
    LONG result() const { return result_; }

private:
    HKEY key_ = nullptr;
    DWORD index_ = 0;
    LONG result_ = ERROR_SUCCESS;
    std::vector<char> buffer_;
    std::string name_;
};

// The values of an open key, in enumeration order, each with its name, type
// and data from one RegEnumValueA (the key needs KEY_QUERY_VALUE). The name and
// data buffers are kept from value to value and from key to key; when the
// registry says either does not fit, it grows (the data to the size the
// registry reports) and the same value is asked for again. Data longer than
// the iterator's data limit is not read: the value is given by its name and
// type alone, hasData() false. A name past 1 MiB ends the listing with
// ERROR_MORE_DATA.
class ValueIterator {
public:
    // Values longer than this are given without their data.
    static constexpr size_t kDefaultDataLimit = size_t{64} << 20;

    enum class Content { kNamesAndData, kNamesOnly };

    explicit ValueIterator(Content content = Content::kNamesAndData,
                           size_t dataLimit = kDefaultDataLimit);
    ValueIterator(HKEY key, Content content = Content::kNamesAndData,
                  size_t dataLimit = kDefaultDataLimit);

    // Starts over at the first value of `key`, keeping the buffers.
    void reset(HKEY key);
    // Moves to the next value: true when there is one; false at the end
    // (result() ERROR_SUCCESS) or when the registry fails (result() says how).
    bool next();

    // The current value; valid after next() answered true.
    const std::string& name() const { return name_; }
    DWORD type() const { return type_; }
    // Whether data() holds the value's data (never for kNamesOnly).
    bool hasData() const { return hasData_; }
    const char* data() const { return data_.data(); }
    size_t dataSize() const { return dataSize_; }
    // The data of a text value with every trailing zero byte removed; false
    // and `text` untouched when the value is not text or its data was not read.
    bool text(std::string& text) const;
    LONG result() const { return result_; }

private:
    LONG enumerate(bool withData);

    HKEY key_ = nullptr;
    Content content_;
    size_t dataLimit_;
    DWORD index_ = 0;
    LONG result_ = ERROR_SUCCESS;
    std::vector<char> nameBuffer_;
    std::vector<char> data_;
    std::string name_;
    DWORD type_ = REG_NONE;
    size_t dataSize_ = 0;
    bool hasData_ = false;
};

}  // namespace Velmar
