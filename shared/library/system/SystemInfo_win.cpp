#include "shared/library/system/SystemInfo.h"

#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/References.h"
#include "shared/library/system/SystemInfoRules.h"
#include "shared/library/common/Environment.h"
#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/system/RegistryKey.h"
#include "shared/library/system/Wow64.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace Velmar {

namespace {

// A DWORD is queried once into this many bytes.
constexpr DWORD kDwordQueryBuffer = 100;
// The first guess for the program's path.
constexpr size_t kModulePathBuffer = MAX_PATH;

constexpr bool kBuiltFor64Bits = sizeof(void*) == 8;

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

// currentHive only ever holds a name of the hive table.
HKEY currentRoot() {
    HKEY root = HKEY_LOCAL_MACHINE;
    hiveRootKey(values().currentHive, root);
    return root;
}

RegistryView viewOf(bool view32) {
    return view32 ? RegistryView::kThirtyTwoBit : RegistryView::kOwn;
}

// The suite's programs keep their key in the 32-bit view. A 32-bit process
// under WOW64 asks for that view (and names "Wow6432Node" in the base); a
// 64-bit build asks for it too, so both builds reach one key. On 32-bit
// Windows the process's own view is the only one.
bool suiteView32() { return kBuiltFor64Bits || isWow64(); }

std::string modulePath() {
    std::string path;
    readSizedText(path, kModulePathBuffer, [](char* buffer, uint32_t capacity) {
        return ::GetModuleFileNameA(nullptr, buffer, capacity);
    });
    return path;
}

// Steps 1 to 4 of a string read: the value's text, trailing zeros removed, with
// its references still in it.
unsigned readRawString(const std::string& key, const std::string& valueName, std::string& text,
                       bool view32) {
    RegistryKey handle;
    if (handle.open(currentRoot(), key, KEY_QUERY_VALUE, viewOf(view32)) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    LONG rc = ERROR_SUCCESS;
    try {
        rc = handle.readText(valueName, text);
    } catch (const std::bad_alloc&) {
        return kRegOutOfMemory;
    }
    if (rc == ERROR_UNSUPPORTED_TYPE) return kRegWrongType;
    return rc == ERROR_SUCCESS ? kRegOk : kRegUnreadable;
}

// References in registry texts name values of the suite key.
class SuiteValueSource : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        return readRawString(suiteKeyPath(""), name, text, suiteView32()) == kRegOk;
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

std::string installDirFromRegistry() { return readDirectoryFromRegistry("InstallDir"); }

std::string configDirFromRegistry() { return readDirectoryFromRegistry("ConfigurationDir"); }

std::string findConfigDirAbove(const std::string& start) {
    return findConfigDirAbove(start, pathExists);
}

bool selectHive(const std::string& name) {
    HKEY root = nullptr;
    if (!hiveRootKey(name, root)) return false;
    values().currentHive = name;
    return true;
}

const std::string& currentHive() { return values().currentHive; }

bool keyExists(const std::string& key, bool view32) {
    RegistryKey handle;
    return handle.open(currentRoot(), key, KEY_ENUMERATE_SUB_KEYS, viewOf(view32)) == ERROR_SUCCESS;
}

std::string suiteKeyPath(const std::string& word) {
    const std::string base = suiteKeyBase(isWow64());
    const bool view32 = suiteView32();
    // An empty override would name the hive's root itself; it is ignored.
    std::string override;
    if (readEnvironment("VELMAR_ENV", override) && !override.empty() &&
        keyExists(override, view32)) {
        return override;
    }
    ProcessValues& v = values();
    if (!v.suiteKeysRecorded) {
        v.suiteKeysRecorded = true;
        v.suiteKeys.resources = keyExists(base + "Resources", view32);
        v.suiteKeys.client = keyExists(base + "Client", view32);
        v.suiteKeys.server = keyExists(base + "Server", view32);
    }
    return base + chooseSuiteWord(word, v.suiteKeys, [] {
               initSystemInfo();
               return values().moduleType;
           });
}

unsigned readRegistryString(const std::string& key, const std::string& valueName, std::string& text,
                            bool view32) {
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

unsigned readRegistryDword(const std::string& key, const std::string& valueName, uint32_t& value,
                           bool view32) {
    RegistryKey handle;
    if (handle.open(currentRoot(), key, KEY_QUERY_VALUE, viewOf(view32)) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    std::vector<char> buffer(kDwordQueryBuffer);
    DWORD type = 0;
    if (handle.queryValue(valueName, type, buffer) != ERROR_SUCCESS) return kRegUnreadable;
    // A REG_DWORD may be stored with any length; only four bytes make a number.
    if (type != REG_DWORD || buffer.size() != sizeof(uint32_t)) return kRegWrongType;
    uint32_t read = 0;
    std::memcpy(&read, buffer.data(), sizeof(read));
    value = read;
    return kRegOk;
}

unsigned writeRegistryValue(const std::string& key, const std::string& valueName, uint32_t type,
                            const void* data, uint32_t length, bool view32) {
    RegistryKey handle;
    if (handle.create(currentRoot(), key, KEY_SET_VALUE, viewOf(view32)) != ERROR_SUCCESS) {
        const std::string message = "Failed to set key \"" + key + "\"=\"" + valueName + "\"";
        std::fwrite(message.data(), 1, message.size(), stdout);
        std::fflush(stdout);
        return kRegFailed;
    }
    return handle.writeValue(valueName, type, data, length) == ERROR_SUCCESS ? kRegOk : kRegFailed;
}

unsigned listValueNames(const std::string& key, std::map<std::string, uint32_t>& names,
                        bool view32) {
    names.clear();
    RegistryKey handle;
    if (handle.open(currentRoot(), key, KEY_QUERY_VALUE, viewOf(view32)) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    ValueIterator value(handle.get(), ValueIterator::Content::kNamesOnly);
    while (value.next()) names[value.name()] = value.type();
    if (value.result() == ERROR_SUCCESS) return kRegOk;
    return value.result() == ERROR_ACCESS_DENIED ? kRegAccessDenied : kRegEnumError;
}

unsigned listSubKeys(const std::string& key, std::vector<std::string>& names, bool view32) {
    names.clear();
    RegistryKey handle;
    if (handle.open(currentRoot(), key, KEY_ENUMERATE_SUB_KEYS, viewOf(view32)) != ERROR_SUCCESS) {
        return kRegUnreadable;
    }
    SubKeyIterator subKey(handle.get());
    while (subKey.next()) names.push_back(subKey.name());
    return subKey.result() == ERROR_SUCCESS ? kRegOk : kRegEnumError;
}

unsigned readSuiteValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath(""), valueName, text, suiteView32());
}

unsigned readClientValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath("Client"), valueName, text, suiteView32());
}

unsigned readServerValue(const std::string& valueName, std::string& text) {
    return readRegistryString(suiteKeyPath("Server"), valueName, text, suiteView32());
}

unsigned readSuiteDword(const std::string& valueName, uint32_t& value) {
    return readRegistryDword(suiteKeyPath(""), valueName, value, suiteView32());
}

unsigned writeSuiteString(const std::string& valueName, const std::string& text) {
    return writeRegistryValue(suiteKeyPath(""), valueName, REG_SZ, text.data(),
                              static_cast<DWORD>(text.size()), suiteView32());
}

}  // namespace Velmar
