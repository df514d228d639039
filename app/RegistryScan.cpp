#include "app/RegistryScan.h"

#include "app/RegistryText.h"
#include "shared/library/common/FileUtils.h"
#include "shared/library/common/SystemInfo.h"
#include "shared/library/common/SystemInfoRules.h"
#include "shared/library/common/win32/GrowAndRetry.h"
#include "shared/library/common/win32/RegistryKey.h"

#include <algorithm>
#include <map>
#include <vector>

namespace Velmar {

namespace {

// The debug levels at which the walk reports each key and its counts.
constexpr int32_t kKeyDebugLevel = 4;
constexpr int32_t kDetailDebugLevel = 5;
// The registry's limits on names, in characters with the terminating zero; an
// ANSI name may take more bytes, and the buffers grow when the registry asks.
constexpr DWORD kKeyNameRoom = 256;
constexpr DWORD kValueNameRoom = 16384;
constexpr size_t kNameRoomCeiling = size_t{1} << 20;
constexpr size_t kInitialDataRoom = 4096;  // bytes of value data
// Expansion starts with this many bytes per character of the text.
constexpr size_t kExpansionFactor = 4;
constexpr char kDefaultValueName[] = "(Default)";
constexpr char kReferenceStart[] = "${";

bool isTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// References in registry texts name values of the suite key.
class SuiteValues : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        return readSuiteValue(name, text) == kRegOk;
    }
};

class Walk {
public:
    Walk(HKEY root, const std::string& rootName, bool view32, CandidateSink& sink, AppLog& log)
        : root_(root),
          rootName_(rootName),
          view_(view32 ? RegistryView::kThirtyTwoBit : RegistryView::kOwn),
          sink_(sink),
          log_(log), name_(kValueNameRoom), data_(kInitialDataRoom) {}

    void run(std::deque<std::string>& queue) {
        const bool keyLines = log_.debugLevel() >= kKeyDebugLevel;
        detail_ = log_.debugLevel() >= kDetailDebugLevel;
        while (!queue.empty()) {
            std::string path = std::move(queue.back());
            queue.pop_back();
            if (keyLines && !path.empty()) {
                log_.debug(kKeyDebugLevel, "Scanning key \"%s\\%s\"...", {rootName_, path});
            }
            visit(path, queue);
        }
    }

private:
    void visit(const std::string& path, std::deque<std::string>& queue) {
        // One handle serves both listings; a key that lets its subkeys be
        // listed but not its values is opened again for the subkeys alone.
        RegistryKey key;
        bool valuesOpen = true;
        if (key.open(root_, path, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, view_) !=
            ERROR_SUCCESS) {
            valuesOpen = false;
            if (key.open(root_, path, KEY_ENUMERATE_SUB_KEYS, view_) != ERROR_SUCCESS) {
                log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
                return;
            }
        }
        if (!listSubKeys(key.get())) {
            log_.message(kSeverityWarning, AppMessage::kSubKeysUnlisted, {rootName_, path});
            return;
        }
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i subkey(s).",
                       {static_cast<int32_t>(subKeys_.size())});
        }
        const std::string prefix = path.empty() ? path : path + "\\";
        for (const std::string& name : subKeys_) queue.push_back(prefix + name);
        if (path.empty()) return;  // the hive's own values are not looked at

        // Only a key named like an executable is one: below Applications\x.exe
        // the keys "shell", "open" and "command" name nothing.
        const std::string keyName = fileName(path);
        if (hasExeMarker(keyName)) sink_.processCandidate(keyName);
        // A key whose values cannot be opened is a failure other than a denied listing.
        const LONG listed = valuesOpen ? listValues(key.get()) : ERROR_INVALID_HANDLE;
        if (listed == ERROR_ACCESS_DENIED) {
            log_.debug(1, "   Got access denied when trying to open \"%s\\%s\".",
                       {rootName_, path});
            return;
        }
        if (listed != ERROR_SUCCESS) {
            log_.message(kSeverityWarning, AppMessage::kValuesUnlisted, {rootName_, path});
            return;
        }
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Got %i value(s).",
                       {static_cast<int32_t>(values_.size())});
        }
        for (const auto& value : values_) visitValue(key, path, value.first, value.second);
    }

    // Fills subKeys_ in listing order; false on an enumeration error.
    bool listSubKeys(HKEY key) {
        subKeys_.clear();
        std::vector<char>& name = keyName_;
        if (name.size() < kKeyNameRoom) name.resize(kKeyNameRoom);
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(name.size());
            const LONG rc = ::RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr,
                                            nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) return true;
            if (rc == ERROR_MORE_DATA && name.size() < kNameRoomCeiling) {
                name.resize(name.size() * 2);
                continue;  // the same index again
            }
            if (rc != ERROR_SUCCESS) return false;
            subKeys_.emplace_back(name.data(), length);
            ++index;
        }
    }

    // Fills values_ (ordered by name) with each value's type; the registry's
    // result of the first failed enumeration, ERROR_SUCCESS at the end.
    LONG listValues(HKEY key) {
        values_.clear();
        for (DWORD index = 0;;) {
            DWORD length = static_cast<DWORD>(name_.size());
            DWORD type = 0;
            const LONG rc = ::RegEnumValueA(key, index, name_.data(), &length, nullptr, &type,
                                            nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (rc == ERROR_MORE_DATA && name_.size() < kNameRoomCeiling) {
                name_.resize(name_.size() * 2);
                continue;
            }
            if (rc != ERROR_SUCCESS) return rc;
            values_[std::string(name_.data(), length)] = type;
            ++index;
        }
    }

    void visitValue(const RegistryKey& key, const std::string& path, const std::string& name, DWORD type) {
        if (hasExeMarker(name) && !sink_.processCandidate(name)) {
            sink_.processCandidate(fileName(name));
        }
        if (!isTextType(type)) return;
        if (detail_) {
            log_.debug(kDetailDebugLevel, "   Value name \"%s\"...",
                       {name.empty() ? std::string(kDefaultValueName) : name});
        }
        std::string text;
        if (!readText(key, name, text)) {
            log_.message(kSeverityWarning, AppMessage::kValueTextUnreadable,
                         {name, rootName_, path});
            return;
        }
        if (!hasExeMarker(text)) return;
        for (std::string& piece : splitExecutablePaths(text)) {
            if (type == REG_EXPAND_SZ) piece = expandEnvironment(piece, log_);
            sink_.processCandidate(std::move(piece));
        }
    }

    // The value's text, trailing zeros removed, suite references resolved;
    // false when it cannot be read or is no longer text.
    bool readText(const RegistryKey& key, const std::string& name, std::string& text) {
        // The buffer keeps its largest size from value to value.
        data_.resize(data_.capacity());
        DWORD type = 0;
        if (key.readValue(name, type, data_) != ERROR_SUCCESS || !isTextType(type)) return false;
        text = textFromRegistryData(data_.data(), data_.size());
        if (text.find(kReferenceStart) != std::string::npos) {
            SuiteValues suite;
            resolveReferences(text, suite);
        }
        return true;
    }

    HKEY root_;
    const std::string& rootName_;
    RegistryView view_;
    CandidateSink& sink_;
    AppLog& log_;
    bool detail_ = false;
    // Kept from key to key so that the walk allocates only when a key needs more.
    std::vector<char> keyName_;
    std::vector<char> name_;
    std::vector<char> data_;
    std::vector<std::string> subKeys_;
    std::map<std::string, DWORD> values_;
};

}  // namespace

bool hiveRootKey(const std::string& name, HKEY& root) {
    static const std::pair<const char*, HKEY> hives[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
    };
    for (const auto& hive : hives) {
        if (name == hive.first) {
            root = hive.second;
            return true;
        }
    }
    return false;
}

void scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                      std::deque<std::string>& keyQueue, CandidateSink& sink, AppLog& log) {
    log.debug(2, "Scanning root key \"%s\"...", {rootName});
    Walk(root, rootName, view32, sink, log).run(keyQueue);
}

std::string expandEnvironment(const std::string& text, AppLog& log) {
    std::vector<char> buffer(std::max<size_t>(1, kExpansionFactor * text.size()));
    DWORD error = ERROR_INSUFFICIENT_BUFFER;
    uint32_t length = 0;
    const bool expanded = growAndRetry(buffer, length, [&](char* data, uint32_t room,
                                                           uint32_t& wanted) {
        // The count includes the terminating zero, whether the text fit or not.
        wanted = ::ExpandEnvironmentStringsA(text.c_str(), data, room);
        if (wanted == 0) error = ::GetLastError();
        return wanted != 0;
    });
    if (expanded) return std::string(buffer.data());
    log.message(kSeverityWarning, AppMessage::kExpansionFailed, {static_cast<uint32_t>(error)});
    return text;
}

}  // namespace Velmar
