// Operations on the file system over the ANSI Windows API.
#include "shared/library/files/FileOps.h"

#include "shared/library/common/AnsiText.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/Environment.h"
#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/common/WinHandle.h"

namespace Velmar {

uint32_t lastSystemError = 0;

namespace {

constexpr int kMoveAttempts = 6;
constexpr uint32_t kMoveRetryPauseMs = 2000;

void sleepFor(uint32_t milliseconds) { ::Sleep(milliseconds); }

MovePause movePause = sleepFor;

// FILETIME counts 100-nanosecond steps since 1601-01-01; 1970 is this many seconds later.
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ULL;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ULL;

struct AttributeMapping {
    DWORD windows;
    uint32_t bit;
    bool settable;
};

constexpr AttributeMapping kAttributeMap[] = {
    {FILE_ATTRIBUTE_ARCHIVE, kAttrArchive, true},
    {FILE_ATTRIBUTE_COMPRESSED, kAttrCompressed, false},
    {FILE_ATTRIBUTE_DIRECTORY, kAttrDirectory, false},
    {FILE_ATTRIBUTE_ENCRYPTED, kAttrEncrypted, false},
    {FILE_ATTRIBUTE_HIDDEN, kAttrHidden, true},
    {FILE_ATTRIBUTE_OFFLINE, kAttrOffline, true},
    {FILE_ATTRIBUTE_READONLY, kAttrReadOnly, true},
    {FILE_ATTRIBUTE_SYSTEM, kAttrSystem, true},
    {FILE_ATTRIBUTE_TEMPORARY, kAttrTemporary, true},
    {FILE_ATTRIBUTE_NORMAL, kAttrNormal, true},
    {FILE_ATTRIBUTE_SPARSE_FILE, kAttrSparse, false},
};

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A name with "*" or "?", or with "<", ">" or a double quote (the search's
// DOS forms of them), would make a directory search match other entries than
// the one named. A leading "\\?\" or "\\.\" is a namespace prefix, no wildcard.
bool hasWildcard(const std::string& path) {
    size_t start = 0;
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) &&
        (path[2] == '?' || path[2] == '.') && isSeparator(path[3])) {
        start = 4;
    }
    return path.find_first_of("*?<>\"", start) != std::string::npos;
}

// A time before 1970 or past the 32-bit range gives time value 0.
DateTime toDateTime(const FILETIME& ft) {
    uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    uint64_t seconds = ticks / kFileTimeTicksPerSecond;
    if (seconds < kSecondsFrom1601To1970) return DateTime(0);
    seconds -= kSecondsFrom1601To1970;
    if (seconds > static_cast<uint64_t>(INT32_MAX)) return DateTime(0);
    return DateTime(static_cast<int32_t>(seconds));
}

// The first match of a directory search for `path`; false when there is none.
bool findEntry(const std::string& path, WIN32_FIND_DATAA& data) {
    if (path.empty() || hasWildcard(path)) return false;
    UniqueFindHandle find(::FindFirstFileA(path.c_str(), &data));
    return find.valid();
}

// The name that the file system stores for the last component of `path`,
// whose written form is `written`; false when there is none. A stored name
// that the code page cannot hold gives `written`: that form found the entry
// (a short name), and the stored one would name nothing.
bool storedName(const std::string& path, const std::string& written, std::string& name) {
    std::u16string wide;
    if (path.empty() || hasWildcard(path) || !fromAnsi(path, wide)) return false;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), &data));
    if (!find) return false;
    if (!toAnsi(reinterpret_cast<const char16_t*>(data.cFileName), name)) name = written;
    return true;
}

std::string fullPathName(const std::string& path) {
    std::string full;
    readSizedText(full, MAX_PATH, [&](char* buffer, uint32_t size) {
        return ::GetFullPathNameA(path.c_str(), size, buffer, nullptr);
    });
    return full;
}

// Size by opening the file for reading in byte mode; false when it cannot be opened.
bool openedFileSize(const std::string& path, uint64_t& size) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER li;
    if (!::GetFileSizeEx(file.get(), &li)) return false;
    size = static_cast<uint64_t>(li.QuadPart);
    return true;
}

// Anything by that name, roots ("C:\", "\\server\share\", "\") included.
bool anythingExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string stripTrailingSeparators(std::string dir) {
    while (dir.size() > 1 && isSeparator(dir.back())) dir.pop_back();
    return dir;
}

// A listed entry's 8-bit name: its name, or where that does not convert its
// short (8.3) name, which the file system keeps in ASCII and which opens the
// same entry; without one, the name with "?" for what does not convert,
// which opens nothing.
std::string entryName(const WIN32_FIND_DATAW& data) {
    const auto* name = reinterpret_cast<const char16_t*>(data.cFileName);
    std::string text;
    if (toAnsi(name, text)) return text;
    const auto* alternate = reinterpret_cast<const char16_t*>(data.cAlternateFileName);
    if (alternate[0] != u'\0' && toAnsi(alternate, text)) return text;
    return toAnsiForDisplay(name, toAnsi);
}

}  // namespace

bool copyFile(const std::string& from, const std::string& to, bool overwrite) {
    return ::CopyFileA(from.c_str(), to.c_str(), overwrite ? FALSE : TRUE) != 0;
}

bool moveFile(const std::string& from, const std::string& to, bool replace) {
    DWORD error = 0;
    for (int attempt = 1; attempt <= kMoveAttempts; ++attempt) {
        BOOL ok = replace ? ::MoveFileExA(from.c_str(), to.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED |
                                              MOVEFILE_WRITE_THROUGH)
                          : ::MoveFileA(from.c_str(), to.c_str());
        if (ok) {
            lastSystemError = 0;
            return true;
        }
        error = ::GetLastError();
        if (attempt < kMoveAttempts) movePause(kMoveRetryPauseMs);
    }
    lastSystemError = error;
    return false;
}

MovePause setMovePause(MovePause pause) {
    const MovePause previous = movePause;
    movePause = pause != nullptr ? pause : sleepFor;
    return previous;
}

bool deleteFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool deleteFile(const std::string& path, bool force) {
    FileInfo info;
    if (!getFileInfo(path, info)) return false;
    if (force) {
        if (deleteFile(path)) return true;
        if (!setAttributes(path, kAttrNormal)) return false;
        return deleteFile(path);
    }
    if (info.attributes & kAttrReadOnly) return false;
    return deleteFile(path);
}

bool createDirectory(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != 0;
}

// Existence is asked of the system directly rather than through pathExists,
// which cannot see roots such as "\" or "\\server\share": with it, a path below
// them could never be created. A parent that is no shorter than its child (a
// lone separator) ends the recursion.
bool makeDirectories(const std::string& path) {
    if (path.empty()) return true;
    std::string dir = stripTrailingSeparators(dirPart(path));
    if (dir.empty() || anythingExists(dir)) return true;
    std::string parent = stripTrailingSeparators(dirPart(dir));
    if (parent.size() < dir.size() && !makeDirectories(dir)) return false;
    return createDirectory(dir);
}

// FILE_ATTRIBUTE_NORMAL is valid only alone: it is dropped when any other bit
// is set, and used when no settable bit is.
bool setAttributes(const std::string& path, uint32_t bits) {
    DWORD attrs = 0;
    for (const AttributeMapping& m : kAttributeMap) {
        if (m.settable && (bits & m.bit)) attrs |= m.windows;
    }
    if (attrs != FILE_ATTRIBUTE_NORMAL) attrs &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    if (attrs == 0) attrs = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileAttributesA(path.c_str(), attrs) != 0;
}

bool getFileInfo(const std::string& path, FileInfo& info) {
    info = FileInfo();
    WIN32_FIND_DATAA data;
    if (!findEntry(path, data)) return false;
    info.exists = true;
    info.fullPath = fullPathName(path);
    for (const AttributeMapping& m : kAttributeMap) {
        if (data.dwFileAttributes & m.windows) info.attributes |= m.bit;
    }
    info.created = toDateTime(data.ftCreationTime);
    info.accessed = toDateTime(data.ftLastAccessTime);
    info.written = toDateTime(data.ftLastWriteTime);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    return openedFileSize(path, info.size);
}

bool pathExists(const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\') p.pop_back();
    if (!p.empty() && p.back() == ':') {
        std::string root = p + '\\';
        return ::GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR;
    }
    FileInfo info;
    return getFileInfo(p, info);
}

std::string currentDirectory() {
    std::string dir;
    if (!readSizedText(dir, MAX_PATH, [](char* buffer, uint32_t size) {
            return ::GetCurrentDirectoryA(size, buffer);
        })) {
        return std::string();
    }
    if (!isSeparator(dir.back())) dir += '\\';
    return dir;
}

bool expandPathPrefix(const std::string& component, std::string& out) {
    if (component.empty()) return false;
    if (component == "/c:" || component == "\\c:") {
        out = "c:";
        return true;
    }
    if (component.size() >= 2 && component.front() == '%' && component.back() == '%') {
        std::string name = component.substr(1, component.size() - 2);
        if (name.empty()) return false;
        return readEnvironment(name, out);
    }
    if (component == "\\systemroot" || component == "/systemroot") {
        DWORD error = ERROR_SUCCESS;
        if (!readSizedText(out, MAX_PATH, [&](char* buffer, uint32_t size) {
                const UINT length = ::GetWindowsDirectoryA(buffer, size);
                if (length == 0) error = ::GetLastError();
                return length;
            })) {
            lastSystemError = error;
            return false;
        }
        return true;
    }
    if (component == "\\??" || component == "/??") {
        out.clear();
        return true;
    }
    return false;
}

// Components are looked up one by one in the directory built so far. "." and
// ".." are kept as written (a directory search would answer with another
// entry's name), as is a drive. When a component is not found, the resolved
// prefix and the rest as written are joined by a single backslash.
std::string resolveStoredPath(const std::string& path) {
    if (path.empty() || path == "\\\\") return path;
    std::string p = path;
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"') {
        p = p.substr(1, p.size() - 2);
        if (p.empty()) return path;
    }
    ensureTrailingSeparator(p);

    std::string built;
    size_t start = 0;
    while (start < p.size()) {
        size_t end = p.find_first_of("\\/", start);  // found: p ends in a separator
        std::string component = p.substr(start, end - start);
        std::string stored;
        if (!component.empty() &&
            (component.back() == ':' || component == "." || component == "..")) {
            built += component;
        } else if (!component.empty() && storedName(built + component, component, stored)) {
            built += stored;
        } else {
            std::string rest = p.substr(start);
            if (!built.empty()) {
                // `built` ends in its one backslash; the separators of the rest go.
                size_t skip = rest.find_first_not_of("\\/");
                rest.erase(0, skip == std::string::npos ? rest.size() : skip);
            }
            built += rest;
            break;
        }
        built += '\\';
        start = end + 1;
    }
    // Only a trailing backslash goes: a rest carried over keeps a trailing "/".
    if (!built.empty() && built.back() == '\\') built.pop_back();
    return built;
}

bool shortPathName(const std::u16string& path, std::string& shortPath) {
    const auto* name = reinterpret_cast<const wchar_t*>(path.c_str());
    std::u16string shortWide;
    return readSizedText(shortWide, MAX_PATH,
                         [&](char16_t* buffer, uint32_t size) {
                             return ::GetShortPathNameW(name, reinterpret_cast<wchar_t*>(buffer),
                                                        size);
                         }) &&
           toAnsi(shortWide, shortPath);
}

std::vector<DirectoryEntry> listDirectory(const std::string& directory,
                                          const std::string& pattern) {
    std::vector<DirectoryEntry> entries;
    std::string search = directory;
    ensureTrailingSeparator(search);
    search += pattern;
    std::u16string wideSearch;
    if (!fromAnsi(search, wideSearch)) return entries;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(::FindFirstFileW(reinterpret_cast<const wchar_t*>(wideSearch.c_str()), &data));
    if (!find) return entries;
    do {
        entries.push_back({entryName(data), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(find.get(), &data));
    return entries;
}

uint64_t fileSize(const std::string& path) {
    FileInfo info;
    getFileInfo(path, info);
    return info.size;
}

}  // namespace Velmar
