#include "shared/library/system/RegistryKey.h"

#include "shared/library/system/RegistryData.h"
#include "shared/library/common/GrowAndRetry.h"

#include <algorithm>

namespace Velmar {

namespace {

// Room for the registry's longest names with their terminating zero: 255
// characters for a key, 16,383 for a value. An ANSI name may take more bytes
// than characters; the buffers grow when the registry asks, up to the ceiling.
constexpr size_t kKeyNameRoom = 256;
constexpr size_t kValueNameRoom = 16384;
constexpr size_t kNameCeiling = size_t{1} << 20;
// Value data goes into this much at first; the buffer grows to the largest
// value met and keeps that size.
constexpr size_t kInitialDataRoom = 4096;
// The first query of a text value asks for this many bytes.
constexpr size_t kFirstTextQuery = 100;

REGSAM viewFlag(RegistryView view) {
    return view == RegistryView::kThirtyTwoBit ? KEY_WOW64_32KEY : 0;
}

// A name buffer that the registry found too small, twice as large; false at the ceiling.
bool growName(std::vector<char>& buffer) {
    if (buffer.size() >= kNameCeiling) return false;
    buffer.resize(std::min(kNameCeiling, buffer.size() * 2));
    return true;
}

}  // namespace

bool hiveRootKey(const std::string& name, HKEY& root) {
    static const struct {
        const char* name;
        HKEY root;
    } hives[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
    };
    for (const auto& hive : hives) {
        if (name == hive.name) {
            root = hive.root;
            return true;
        }
    }
    return false;
}

bool isRegistryTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LONG RegistryKey::open(HKEY parent, const std::string& path, REGSAM access, RegistryView view) {
    return ::RegOpenKeyExA(parent, path.c_str(), 0, access | viewFlag(view), key_.put());
}

LONG RegistryKey::create(HKEY parent, const std::string& path, REGSAM access, RegistryView view) {
    return ::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             access | viewFlag(view), nullptr, key_.put(), nullptr);
}

LONG RegistryKey::queryValue(const std::string& name, DWORD& type, std::vector<char>& data) const {
    DWORD size = static_cast<DWORD>(data.size());
    const LONG rc = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    if (rc == ERROR_SUCCESS) data.resize(std::min<size_t>(size, data.size()));
    return rc;
}

LONG RegistryKey::readValue(const std::string& name, DWORD& type, std::vector<char>& data) const {
    if (data.empty()) data.resize(1);
    LONG rc = ERROR_SUCCESS;
    uint32_t length = 0;
    const bool read =
        growAndRetry(data, length, [&](char* bytes, uint32_t capacity, uint32_t& wanted) {
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

LONG RegistryKey::readText(const std::string& name, std::string& text) const {
    std::vector<char> data(kFirstTextQuery);
    DWORD type = REG_NONE;
    const LONG rc = readValue(name, type, data);
    if (rc != ERROR_SUCCESS) return rc;
    if (!isRegistryTextType(type)) return ERROR_UNSUPPORTED_TYPE;
    text = textFromRegistryData(data.data(), data.size());
    return ERROR_SUCCESS;
}

LONG RegistryKey::writeValue(const std::string& name, DWORD type, const void* data,
                             DWORD size) const {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                            size);
}

SubKeyIterator::SubKeyIterator() : buffer_(kKeyNameRoom) {}

SubKeyIterator::SubKeyIterator(HKEY key) : SubKeyIterator() { reset(key); }

void SubKeyIterator::reset(HKEY key) {
    key_ = key;
    index_ = 0;
    result_ = ERROR_SUCCESS;
}

bool SubKeyIterator::next() {
    if (result_ != ERROR_SUCCESS) return false;
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer_.size());
        const LONG rc = ::RegEnumKeyExA(key_, index_, buffer_.data(), &length, nullptr, nullptr,
                                        nullptr, nullptr);
        if (rc == ERROR_SUCCESS) {
            name_.assign(buffer_.data(), length);
            ++index_;
            return true;
        }
        // The registry does not say how long a name that did not fit is.
        if (rc == ERROR_MORE_DATA && growName(buffer_)) continue;
        if (rc != ERROR_NO_MORE_ITEMS) result_ = rc;
        return false;
    }
}

ValueIterator::ValueIterator(Content content, size_t dataLimit)
    : content_(content),
      dataLimit_(dataLimit),
      nameBuffer_(kValueNameRoom),
      data_(content == Content::kNamesAndData ? std::min(kInitialDataRoom, dataLimit) : 0) {}

ValueIterator::ValueIterator(HKEY key, Content content, size_t dataLimit)
    : ValueIterator(content, dataLimit) {
    reset(key);
}

void ValueIterator::reset(HKEY key) {
    key_ = key;
    index_ = 0;
    result_ = ERROR_SUCCESS;
}

bool ValueIterator::next() {
    if (result_ != ERROR_SUCCESS) return false;
    const LONG rc = enumerate(content_ == Content::kNamesAndData);
    if (rc == ERROR_SUCCESS) {
        ++index_;
        return true;
    }
    if (rc != ERROR_NO_MORE_ITEMS) result_ = rc;
    return false;
}

LONG ValueIterator::enumerate(bool withData) {
    for (;;) {
        DWORD nameLength = static_cast<DWORD>(nameBuffer_.size());
        DWORD dataLength = static_cast<DWORD>(data_.size());
        DWORD type = REG_NONE;
        const LONG rc =
            ::RegEnumValueA(key_, index_, nameBuffer_.data(), &nameLength, nullptr, &type,
                            withData ? reinterpret_cast<BYTE*>(data_.data()) : nullptr,
                            withData ? &dataLength : nullptr);
        if (rc == ERROR_SUCCESS) {
            name_.assign(nameBuffer_.data(), nameLength);
            type_ = type;
            hasData_ = withData;
            dataSize_ = withData ? std::min<size_t>(dataLength, data_.size()) : 0;
            return rc;
        }
        if (rc != ERROR_MORE_DATA) return rc;
        if (withData && dataLength > data_.size()) {
            // The data did not fit, and the registry tells its size.
            if (dataLength > dataLimit_) {
                withData = false;
            } else {
                data_.resize(dataLength);
            }
            continue;
        }
        // The name did not fit; the registry does not say by how much.
        if (!growName(nameBuffer_)) return rc;
    }
}

bool ValueIterator::text(std::string& text) const {
    if (!hasData_ || !isRegistryTextType(type_)) return false;
    text = textFromRegistryData(data_.data(), dataSize_);
    return true;
}

}  // namespace Velmar
