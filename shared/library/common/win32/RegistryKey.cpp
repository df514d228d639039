#include "shared/library/common/win32/RegistryKey.h"

#include "shared/library/common/win32/GrowAndRetry.h"

#include <algorithm>

namespace Velmar {

namespace {

// The registry's own limits on name lengths, in characters without the
// terminating zero; used when the key cannot tell its longest name.
constexpr DWORD kMaxValueNameLength = 16383;
constexpr DWORD kMaxKeyNameLength = 255;
// Names are read again into a larger buffer when the registry asks for more
// room; beyond this, the listing gives up.
constexpr size_t kNameBufferCeiling = size_t{1} << 20;

REGSAM viewFlag(RegistryView view) {
    return view == RegistryView::kThirtyTwoBit ? KEY_WOW64_32KEY : 0;
}

// The loop both listings share: `enumerateAt(index, data, length)` is
// RegEnumValueA or RegEnumKeyExA for one index; `take(data, length)` keeps a name.
template <typename EnumerateAt, typename Take>
LONG enumerateNames(DWORD longest, EnumerateAt enumerateAt, Take take) {
    std::vector<char> buffer(std::min<size_t>(size_t{longest} + 1, kNameBufferCeiling));
    for (DWORD index = 0;; ++index) {
        LONG rc = ERROR_SUCCESS;
        uint32_t length = 0;
        const bool read = growAndRetry(
            buffer, length,
            [&](char* data, uint32_t capacity, uint32_t& wanted) {
                DWORD size = capacity;
                rc = enumerateAt(index, data, &size);
                // The registry does not say how long a name that did not fit is.
                wanted = rc == ERROR_MORE_DATA ? capacity + 1 : size;
                return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
            },
            kNameBufferCeiling);
        if (!read) return rc == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : rc;
        take(buffer.data(), length);
    }
}

}  // namespace

LONG RegistryKey::open(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    return ::RegOpenKeyExA(root, path.c_str(), 0, access | viewFlag(view), key_.put());
}

LONG RegistryKey::create(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
    return ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             access | viewFlag(view), nullptr, key_.put(), nullptr);
}

LONG RegistryKey::queryValue(const std::string& name, DWORD& type,
                             std::vector<char>& data) const {
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_SUCCESS) data.resize(std::min<size_t>(size, data.size()));
    return rc;
}

LONG RegistryKey::readValue(const std::string& name, DWORD& type,
                            std::vector<char>& data) const {
    if (data.empty()) data.resize(1);
    LONG rc = ERROR_SUCCESS;
    uint32_t length = 0;
    const bool read = growAndRetry(data, length, [&](char* bytes, uint32_t capacity,
                                                     uint32_t& wanted) {
        DWORD size = capacity;
        rc = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(bytes), &size);
        if (rc == ERROR_MORE_DATA) {
            // The size reported is a hint only: never retry with the same buffer.
            wanted = std::max<uint32_t>(size, capacity + 1);
            return true;
        }
        wanted = size;
        return rc == ERROR_SUCCESS;
    });
    if (!read) return rc;
    data.resize(length);
    return ERROR_SUCCESS;
}

LONG RegistryKey::writeValue(const std::string& name, DWORD type, const void* data,
                             DWORD size) const {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                            size);
}

LONG RegistryKey::valueNames(std::vector<ValueName>& names) const {
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longest = kMaxValueNameLength;
    }
    DWORD type = 0;
    return enumerateNames(
        longest,
        [&](DWORD index, char* data, DWORD* length) {
            return ::RegEnumValueA(key_.get(), index, data, length, nullptr, &type, nullptr,
                                   nullptr);
        },
        [&](const char* data, uint32_t length) {
            names.push_back({std::string(data, length), type});
        });
}

LONG RegistryKey::subKeyNames(std::vector<std::string>& names) const {
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longest = kMaxKeyNameLength;
    }
    return enumerateNames(
        longest,
        [&](DWORD index, char* data, DWORD* length) {
            return ::RegEnumKeyExA(key_.get(), index, data, length, nullptr, nullptr, nullptr,
                                   nullptr);
        },
        [&](const char* data, uint32_t length) { names.emplace_back(data, length); });
}

}  // namespace Velmar
