#include "shared/library/common/SystemInfo.h"

#include "shared/library/common/win32/Environment.h"
#include "shared/library/common/FileOps.h"
#include "shared/library/common/FileUtils.h"
#include "shared/library/common/SystemInfoRules.h"
#include "shared/library/common/win32/WinHandle.h"
#include "shared/library/common/win32/Wow64.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace Velmar {

namespace {

// The first query of a string value goes into this many bytes; a longer value
// is read again into the size the registry reports.
constexpr DWORD kInitialValueBuffer = 100;
// A DWORD is queried once into this many bytes.
constexpr DWORD kDwordQueryBuffer = 100;
// The registry's own limits on name lengths, in characters without the
// terminating zero; used when the key cannot tell its longest name.
constexpr DWORD kMaxValueNameLength = 16383;
constexpr DWORD kMaxKeyNameLength = 255;
// Names are re-read into a larger buffer when the registry asks for more room
// (an ANSI name may take more bytes than its characters); beyond this, give up.
constexpr DWORD kNameBufferCeiling = 1u << 20;

struct ProcessValues {
    bool resolutionStarted = false;
    std::string programName;
    std::string programDir;
    std::string moduleType;
    std::string installDir;
    std::string configDir;
    std::string currentHive = "HKEY_LOCAL_MACHINE";
    bool suiteKeysRecorded = false;
    SuiteKeyRecord suiteKeys;
};

ProcessValues& values() {
    static ProcessValues v;
    return v;
}

struct HiveEntry {
    const char* name;
    HKEY root;
};

const HiveEntry* findHive(const std::string& name) {
    static const HiveEntry hives[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS},
    };
    for (const HiveEntry& hive : hives) {
        if (name == hive.name) return &hive;
    }
    return nullptr;
}

HKEY currentRoot() {
    return findHive(values().currentHive)->root;
}

REGSAM viewFlag(bool view32) {
    return view32 ? KEY_WOW64_32KEY : 0;
}

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string modulePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        // A path that filled the buffer may have been cut.
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Steps 1 to 4 of a string read: the value's text, trailing zeros removed, with
// its references still in it.
unsigned readRawString(const std::string& key, const std::string& valueName, std::string& text,
                       bool view32) {
    UniqueHKey handle;
    if (::RegOpenKeyExA(currentRoot(), key.c_str(), 0, KEY_QUERY_VALUE | viewFlag(view32),
                        handle.put()) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    try {
        std::vector<char> buffer(kInitialValueBuffer);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        LONG rc = ::RegQueryValueExA(handle.get(), valueName.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &size);
        while (rc == ERROR_MORE_DATA) {
            // The value may grow between two queries; never retry with the same size.
            buffer.resize(std::max<size_t>(size, buffer.size() * 2));
            size = static_cast<DWORD>(buffer.size());
            rc = ::RegQueryValueExA(handle.get(), valueName.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
        }
        if (rc != ERROR_SUCCESS) return kRegUnreadable;
        if (!isStringType(type)) return kRegWrongType;
        text = textFromRegistryData(buffer.data(), std::min<size_t>(size, buffer.size()));
    } catch (const std::bad_alloc&) {
        return kRegOutOfMemory;
    }
    return kRegOk;
}

// References in registry texts name values of the suite key.
class SuiteValueSource : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        return readRawString(suiteKeyPath(""), name, text, isWow64()) == kRegOk;
    }
};

std::string readDirectoryFromRegistry(const char* valueName) {
    initSystemInfo();
    std::string& type = values().moduleType;
    std::string client;
    std::string server;
    if (type == "Client") {
        readClientValue(valueName, client);
        return client;
    }
    if (type == "Server") {
        readServerValue(valueName, server);
        return server;
    }
    readClientValue(valueName, client);
    readServerValue(valueName, server);
    return reconcileRegistryDirectory(client, server, type);
}

}  // namespace

void initSystemInfo() {
    ProcessValues& v = values();
    if (v.resolutionStarted) return;
    v.resolutionStarted = true;

    if (v.programName.empty() && v.programDir.empty()) {
        const std::string path = modulePath();
        v.programName = fileName(path);
        v.programDir = parentDir(path);
    }
    if (v.moduleType.empty()) v.moduleType = moduleTypeFromEnvironment();
    if (v.installDir.empty()) v.installDir = installDirFromEnvironment();
    if (v.configDir.empty()) v.configDir = configDirFromEnvironment();
    if (v.installDir.empty()) v.installDir = installDirFromRegistry();
    if (v.configDir.empty()) v.configDir = configDirFromRegistry();
    if (v.configDir.empty() && !v.programDir.empty()) {
        v.configDir = findConfigDirAbove(v.programDir);
    }
    if (v.configDir.empty()) v.configDir = findConfigDirAbove(currentDirectory());
    if (v.configDir.empty() && !v.installDir.empty()) {
        const std::string candidate = inDirectory(v.installDir, "Configuration");
        if (pathExists(candidate)) v.configDir = candidate;
    }
    if (!v.configDir.empty() && v.installDir.empty()) {
        v.installDir = installDirFromConfigDir(v.configDir);
    }
    if (v.moduleType.empty()) {
        const bool server =
            !v.configDir.empty() && pathExists(inDirectory(v.configDir, "server.conf"));
        v.moduleType = server ? "Server" : "Client";
    }
    if (v.installDir.empty()) v.installDir = installDirFromRegistry();
    if (v.configDir.empty()) v.configDir = configDirFromRegistry();
}

const std::string& programName() { return values().programName; }
const std::string& programDir() { return values().programDir; }
const std::string& moduleType() { return values().moduleType; }
const std::string& installDir() { return values().installDir; }
const std::string& configDir() { return values().configDir; }

std::string moduleTypeFromEnvironment() {
    std::string value;
    if (!readEnvironment("VelmarModuleType", value)) return "";
    return moduleTypeFromText(value);
}

std::string installDirFromEnvironment() {
    return directoryFromVariables(installDirVariables(), readEnvironment, pathExists);
}

std::string configDirFromEnvironment() {
    return directoryFromVariables(configDirVariables(), readEnvironment, pathExists);
}

std::string installDirFromRegistry() {
    return readDirectoryFromRegistry("InstallDir");
}

std::string configDirFromRegistry() {
    return readDirectoryFromRegistry("ConfigurationDir");
}

std::string findConfigDirAbove(const std::string& start) {
    return findConfigDirAbove(start, pathExists);
}

bool selectHive(const std::string& name) {
    if (findHive(name) == nullptr) return false;
    values().currentHive = name;
    return true;
}

const std::string& currentHive() {
    return values().currentHive;
}

bool keyExists(const std::string& key, bool view32) {
    UniqueHKey handle;
    return ::RegOpenKeyExA(currentRoot(), key.c_str(), 0,
                           KEY_ENUMERATE_SUB_KEYS | viewFlag(view32),
                           handle.put()) == ERROR_SUCCESS;
}

std::string suiteKeyPath(const std::string& word) {
    const bool wow64 = isWow64();
    const std::string base = suiteKeyBase(wow64);
    // An empty override would name the hive's root itself; it is ignored.
    std::string override;
    if (readEnvironment("VELMAR_ENV", override) && !override.empty() &&
        keyExists(override, wow64)) {
        return override;
    }
    ProcessValues& v = values();
    if (!v.suiteKeysRecorded) {
        v.suiteKeysRecorded = true;
        v.suiteKeys.resources = keyExists(base + "Resources", wow64);
        v.suiteKeys.client = keyExists(base + "Client", wow64);
        v.suiteKeys.server = keyExists(base + "Server", wow64);
    }
    return base + chooseSuiteWord(word, v.suiteKeys, [] {
               initSystemInfo();
               return values().moduleType;
           });
}

unsigned readRegistryString(const std::string& key, const std::string& valueName,
                            std::string& text, bool view32) {
    std::string read;
    const unsigned rc = readRawString(key, valueName, read, view32);
    if (rc != kRegOk) return rc;
    try {
        SuiteValueSource source;
        resolveReferences(read, source);
    } catch (const std::bad_alloc&) {
        return kRegOutOfMemory;
    }
    text.swap(read);
    return kRegOk;
}

unsigned readRegistryDword(const std::string& key, const std::string& valueName,
                           uint32_t& value, bool view32) {
    UniqueHKey handle;
    if (::RegOpenKeyExA(currentRoot(), key.c_str(), 0, KEY_QUERY_VALUE | viewFlag(view32),
                        handle.put()) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    BYTE buffer[kDwordQueryBuffer];
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExA(handle.get(), valueName.c_str(), nullptr, &type, buffer, &size) !=
        ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    // A REG_DWORD may be stored with any length; only four bytes make a number.
    if (type != REG_DWORD || size != sizeof(uint32_t)) return kRegWrongType;
    uint32_t read = 0;
    std::copy(buffer, buffer + sizeof(read), reinterpret_cast<BYTE*>(&read));
    value = read;
    return kRegOk;
}

unsigned writeRegistryValue(const std::string& key, const std::string& valueName,
                            uint32_t type, const void* data, uint32_t length, bool view32) {
    UniqueHKey handle;
    if (::RegCreateKeyExA(currentRoot(), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE | viewFlag(view32), nullptr, handle.put(),
                          nullptr) != ERROR_SUCCESS) {
        const std::string message = "Failed to set key \"" + key + "\"=\"" + valueName + "\"";
        std::fwrite(message.data(), 1, message.size(), stdout);
        std::fflush(stdout);
        return kRegFailed;
    }
    const LONG rc = ::RegSetValueExA(handle.get(), valueName.c_str(), 0, type,
                                     static_cast<const BYTE*>(data), length);
    return rc == ERROR_SUCCESS ? kRegOk : kRegFailed;
}

unsigned listValueNames(const std::string& key, std::map<std::string, uint32_t>& names,
                        bool view32) {
    names.clear();
    UniqueHKey handle;
    if (::RegOpenKeyExA(currentRoot(), key.c_str(), 0, KEY_QUERY_VALUE | viewFlag(view32),
                        handle.put()) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longest = kMaxValueNameLength;
    }
    std::vector<char> name(longest + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        const LONG rc = ::RegEnumValueA(handle.get(), index, name.data(), &length, nullptr,
                                        &type, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return kRegOk;
        if (rc == ERROR_MORE_DATA) {
            if (name.size() >= kNameBufferCeiling) return kRegEnumError;
            name.resize(name.size() * 2);
            continue;  // the same index again
        }
        if (rc == ERROR_ACCESS_DENIED) return kRegAccessDenied;
        if (rc != ERROR_SUCCESS) return kRegEnumError;
        names[std::string(name.data(), length)] = type;
        ++index;
    }
}

unsigned listSubKeys(const std::string& key, std::vector<std::string>& names, bool view32) {
    names.clear();
    UniqueHKey handle;
    if (::RegOpenKeyExA(currentRoot(), key.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | viewFlag(view32),
                        handle.put()) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(handle.get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        longest = kMaxKeyNameLength;
    }
    std::vector<char> name(longest + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG rc = ::RegEnumKeyExA(handle.get(), index, name.data(), &length, nullptr,
                                        nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return kRegOk;
        if (rc == ERROR_MORE_DATA) {
            if (name.size() >= kNameBufferCeiling) return kRegEnumError;
            name.resize(name.size() * 2);
            continue;  // the same index again
        }
        if (rc != ERROR_SUCCESS) return kRegEnumError;
        names.emplace_back(name.data(), length);
        ++index;
    }
}

unsigned readSuiteValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath(""), valueName, text, isWow64());
}

unsigned readClientValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath("Client"), valueName, text, isWow64());
}

unsigned readServerValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath("Server"), valueName, text, isWow64());
}

unsigned readSuiteDword(const std::string& valueName, uint32_t& value) {
    return readRegistryDword(suiteKeyPath(""), valueName, value, isWow64());
}

unsigned writeSuiteString(const std::string& valueName, const std::string& text) {
    return writeRegistryValue(suiteKeyPath(""), valueName, REG_SZ, text.data(),
                              static_cast<DWORD>(text.size()), isWow64());
}

}  // namespace Velmar
