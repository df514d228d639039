// One open registry key: a move-only owner of an HKEY whose operations answer
// the registry's own LONG result (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND,
// ERROR_ACCESS_DENIED, ...), so that a missing key and a denied one stay apart
// until a public function makes its result code. Names and data go through the
// 8-bit (ANSI) interface. Nothing here throws except std::bad_alloc.
#pragma once

#include "shared/library/common/win32/WinHandle.h"

#include <string>
#include <vector>

namespace Velmar {

// The registry view a key is opened in: the process's own, or the 32-bit one
// (which a 64-bit process reaches below "Wow6432Node" and a 32-bit process
// sees as its own).
enum class RegistryView { kOwn, kThirtyTwoBit };

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&&) noexcept = default;
    RegistryKey& operator=(RegistryKey&&) noexcept = default;

    // Opens the existing key `path` below `root` with `access` in `view`. A key
    // held before is closed first; on failure none is held.
    LONG open(HKEY root, const std::string& path, REGSAM access, RegistryView view);
    // As open, creating the key and any missing parents first.
    LONG create(HKEY root, const std::string& path, REGSAM access, RegistryView view);

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
    // Sets the value (KEY_SET_VALUE).
    LONG writeValue(const std::string& name, DWORD type, const void* data, DWORD size) const;

    struct ValueName {
        std::string name;
        DWORD type;
    };
    // Appends every value name with its type, index by index from 0, until the
    // registry has no more (ERROR_SUCCESS). The first other result ends the
    // listing and is answered; the names read until then stay appended. The
    // buffer is sized from the longest name the key reports and grown when a
    // name does not fit (an ANSI name can take more bytes than characters); a
    // name past 1 MiB gives ERROR_MORE_DATA. Needs KEY_QUERY_VALUE.
    LONG valueNames(std::vector<ValueName>& names) const;
    // The same for the names of the sub-keys, in enumeration order. Needs
    // KEY_ENUMERATE_SUB_KEYS, and KEY_QUERY_VALUE for sizing the buffer.
    LONG subKeyNames(std::vector<std::string>& names) const;

private:
    UniqueHKey key_;
};

}  // namespace Velmar
