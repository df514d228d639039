// The catalogue numbers of this program's module, as install/LogMessages/
// stocksweep.mess gives their texts. Code and tests take them from here; the
// header sits in the lowest of the program's folders so that the scanner, the
// resolver and the application all reach it.
#pragma once

#include <cstdint>

namespace Velmar {
namespace AppMessage {

// Start-up and the run.
constexpr int32_t kScanStarted = 1;           // NOTICE
constexpr int32_t kWorkingDirUncreated = 2;   // FATAL: working directory
constexpr int32_t kKeyUnreadable = 3;         // FATAL or ERROR: key name
constexpr int32_t kMessagesUnloaded = 4;      // ERROR: the loader's error text
constexpr int32_t kResolverUncreated = 5;     // FATAL
// NOTICE: records written, data file name (or why none), registry keys
// walked, Start menus found, seconds the run took.
constexpr int32_t kScanEnded = 6;
constexpr int32_t kNoHive = 9;                // ERROR: root name
constexpr int32_t kStartMenuScanFailed = 18;  // WARNING

// The mapping file: a "{" that no keyword announced.
constexpr int32_t kMappingSyntax = 7;  // ERROR: line number, kIllegalBraceText

// The registry scan and the data file.
constexpr int32_t kSubKeysUnlisted = 10;      // WARNING: root, key path
constexpr int32_t kValuesUnlisted = 11;       // WARNING: root, key path
constexpr int32_t kValueTextUnreadable = 12;  // WARNING: value name, root, key path
constexpr int32_t kDataFileUnopened = 13;     // CRITICAL: file name
constexpr int32_t kRecordUnwritten = 14;      // ERROR: file name
constexpr int32_t kExpansionFailed = 16;      // WARNING: system error code

// The registries of users who are not logged on, read from their hive files.
constexpr int32_t kHiveFileRead = 30;        // NOTICE: file, SID, keys, values, state
constexpr int32_t kHiveFileUnreadable = 31;  // WARNING: file, SID, reason
constexpr int32_t kHiveFileDamaged = 32;     // WARNING: file, SID, damaged cells

}  // namespace AppMessage
}  // namespace Velmar
