// Operations on the file system, over the Windows API. Nothing here throws;
// every operation reports through its result. Paths are 8-bit (ANSI).
#pragma once

#include "shared/library/time/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

// Windows error number of the last failed move (0 after a successful one) and
// of the last failed expansion of "\systemroot". Process-wide, unguarded:
// meaningful only right after the call that set it, on the same thread.
extern uint32_t lastSystemError;

// Attribute bits of this layer; getFileInfo maps the Windows attributes to
// them and setAttributes maps the settable ones back.
enum FileAttribute : uint32_t {
    kAttrArchive = 0x0001,  // settable
    kAttrCompressed = 0x0002,
    kAttrDirectory = 0x0004,
    kAttrEncrypted = 0x0008,
    kAttrHidden = 0x0010,     // settable
    kAttrOffline = 0x0020,    // settable
    kAttrReadOnly = 0x0040,   // settable
    kAttrSystem = 0x0080,     // settable
    kAttrTemporary = 0x0100,  // settable
    kAttrNormal = 0x0200,     // settable
    kAttrSparse = 0x1000,
};

struct FileInfo {
    bool exists = false;
    std::string fullPath;  // as the system expands the name (never cut short)
    uint64_t size = 0;     // 0 for a directory
    uint32_t attributes = 0;
    DateTime created{0};  // a time that cannot be converted stays at time value 0
    DateTime accessed{0};
    DateTime written{0};
};

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};

bool copyFile(const std::string& from, const std::string& to, bool overwrite);

// The system move; with replace, one that replaces an existing target, may copy
// across volumes and returns after the data is written. A failed attempt is
// retried after 2 s, 6 attempts in all; sets lastSystemError.
bool moveFile(const std::string& from, const std::string& to, bool replace);

// What moveFile does between two attempts: sleeps for the given time unless
// replaced (tests replace it so as not to wait). Null restores sleeping.
// Answers the pause that was in place. Process-wide, unguarded.
using MovePause = void (*)(uint32_t milliseconds);
MovePause setMovePause(MovePause pause);

bool deleteFile(const std::string& path);

// Not found: false. With force, a failed delete clears the attributes to
// "normal" and tries again; without force a read-only file is kept (false).
bool deleteFile(const std::string& path, bool force);

// Creates one directory level.
bool createDirectory(const std::string& path);

// Creates every missing directory of the directory part of the path (a path
// ending in a separator names a directory). An empty path is success.
bool makeDirectories(const std::string& path);

// Sets the settable bits of FileAttribute; the others are ignored.
bool setAttributes(const std::string& path, uint32_t bits);

// Looks the name up in its directory (a wildcard name is not found). False
// (info.exists false) when not found; false also when a found file cannot be
// opened to take its size (info.exists true, size 0). `info` is always reset first.
bool getFileInfo(const std::string& path, FileInfo& info);

// One trailing backslash removed; a drive ("C:") exists when the system knows
// it; anything else exists when getFileInfo succeeds (so a file that cannot be
// opened counts as absent). A name with a wildcard of the directory search
// ("*", "?", "<", ">" or a double quote) never exists.
bool pathExists(const std::string& path);

// The current directory with a trailing backslash; empty when unreadable.
std::string currentDirectory();

// Expands the first component of a stored path: "%VAR%", "\systemroot",
// "/c:", "\??". False when the component is no special prefix or cannot be
// expanded; `out` is then left untouched.
bool expandPathPrefix(const std::string& component, std::string& out);

// The path with every existing component in the long name and letter case
// that the file system stores; the rest from the first missing one as written,
// joined to the resolved part by one backslash. Drives, "." and ".." are kept
// as written; a component with a wildcard counts as missing. No trailing backslash.
std::string resolveStoredPath(const std::string& path);

// Every entry the directory search returns for directory + pattern, "." and
// ".." included, in the order returned; empty when unreadable or no match.
std::vector<DirectoryEntry> listDirectory(const std::string& directory, const std::string& pattern);

// getFileInfo's size; 0 when the path is not found.
uint64_t fileSize(const std::string& path);

}  // namespace Velmar
