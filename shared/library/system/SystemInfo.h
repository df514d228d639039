// SystemInfo: where the suite is installed, where its configuration lies and
// whether this machine is a client or a server of the suite, resolved once per
// process from the environment, the registry and the file system; and the
// suite's access layer to the registry.
//
// Every registry operation opens its key below the root key `currentHive`
// (initially "HKEY_LOCAL_MACHINE"); keys are paths with backslashes. With the
// 32-bit-view flag set a key is opened, created or tested in the 32-bit view;
// without it, in the process's own view. The suite's key lives in the 32-bit
// view: the suite operations set the flag in 64-bit builds and under WOW64, so
// both builds reach the same key. Names go to the registry through the 8-bit
// (ANSI) interface.
//
// Nothing here throws or logs; failures become empty texts or result codes.
// Resolution and the record of suite keys are guarded by once-flags only: the
// first calls belong to the main thread at start-up.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Velmar {

// Result codes of the registry operations.
enum RegistryResult : unsigned {
    kRegOk = 0,
    kRegOutOfMemory = 1,  // readRegistryString
    kRegFailed = 1,       // writeRegistryValue
    kRegEnumError = 1,    // listValueNames, listSubKeys
    kRegUnreadable = 2,   // key cannot be opened or value cannot be read
    kRegWrongType = 3,
    kRegAccessDenied = 4,  // listValueNames
};

// Resolves programName, programDir, moduleType, installDir and configDir. Runs
// its body once per process; every later call, and every call nested in the
// first, returns at once.
void initSystemInfo();

// Process-wide values; empty until resolved (call initSystemInfo first).
const std::string& programName();
const std::string& programDir();
const std::string& moduleType();
const std::string& installDir();
const std::string& configDir();

// "VelmarModuleType" as "Client", "Server" or "".
std::string moduleTypeFromEnvironment();
// The first set directory variable, with a trailing separator and folded
// separators, when that path exists; "" otherwise.
std::string installDirFromEnvironment();
std::string configDirFromEnvironment();
// "InstallDir" / "ConfigurationDir" from the Client or Server key as the module
// type says; with no module type from both, which may set the module type.
std::string installDirFromRegistry();
std::string configDirFromRegistry();
// The first existing "Configuration" or "etc" directory in `start` (ending in a
// separator) or above it, without a trailing separator; "" when none.
std::string findConfigDirAbove(const std::string& start);

// Makes one of the five hive names (exact, case-sensitive) current; false and no
// change for any other name.
bool selectHive(const std::string& name);
const std::string& currentHive();

// Whether the key can be opened for listing its sub-keys.
bool keyExists(const std::string& key, bool view32);

// The suite key path for the word "Client", "Server", "Resources" or "": the
// value of "VELMAR_ENV" when it names an existing key (in the suite's view),
// else the suite key base and the chosen word, without a trailing separator.
std::string suiteKeyPath(const std::string& word);

// The text of a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value, unexpanded, zero
// bytes between strings kept, trailing zero bytes removed, "${name}" references
// to suite values resolved. 0 read; 1 out of memory; 2 key or value unreadable;
// 3 not a string type. `text` is changed only on 0.
unsigned readRegistryString(const std::string& key, const std::string& valueName, std::string& text,
                            bool view32);

// 0 read; 2 key or value unreadable; 3 not a REG_DWORD of exactly four bytes.
// `value` is changed only on 0.
unsigned readRegistryDword(const std::string& key, const std::string& valueName, uint32_t& value,
                           bool view32);

// Creates the key when missing and sets the value. 0 written; 1 failed. When the
// key cannot be created or opened, writes
// Failed to set key "<key>"="<valueName>"
// to standard output (no line end).
unsigned writeRegistryValue(const std::string& key, const std::string& valueName, uint32_t type,
                            const void* data, uint32_t length, bool view32);

// Clears `names`, then fills it with every value name and its registry type.
// 0; 1 enumeration error; 2 key cannot be opened; 4 access denied while listing.
unsigned listValueNames(const std::string& key, std::map<std::string, uint32_t>& names,
                        bool view32);

// Clears `names`, then appends every sub-key name in enumeration order.
// 0; 1 enumeration error; 2 key cannot be opened.
unsigned listSubKeys(const std::string& key, std::vector<std::string>& names, bool view32);

// readRegistryString / readRegistryDword / writeRegistryValue on the suite key
// (suiteKeyPath of "", "Client" or "Server"), in the suite's (32-bit) view.
unsigned readSuiteValue(const std::string& valueName, std::string& text);
unsigned readClientValue(const std::string& valueName, std::string& text);
unsigned readServerValue(const std::string& valueName, std::string& text);
unsigned readSuiteDword(const std::string& valueName, uint32_t& value);
// Stored as REG_SZ, the text's bytes without a terminating zero.
unsigned writeSuiteString(const std::string& valueName, const std::string& text);

}  // namespace Velmar
