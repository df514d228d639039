#include "app/CandidateFilesWin.h"

#include "shared/library/files/FileOps.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/system/Wow64.h"

namespace Velmar {

namespace {

// One search of the system's search order; true when it found a file (not a
// directory) whose full path fits MAX_PATH characters.
bool searchFile(const std::string& name, std::string& found) {
    char buffer[MAX_PATH];
    // The answer is the length of the path found, or the room it needs when it
    // does not fit: a cut path is never taken.
    const DWORD length = ::SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    const DWORD attributes = ::GetFileAttributesA(buffer);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    found.assign(buffer, length);
    return true;
}

}  // namespace

std::string CandidateFilesWin::longForm(const std::string& path) { return resolveStoredPath(path); }

bool CandidateFilesWin::exists(const std::string& path) {
    return inEitherSystemFolder([&] { return pathExists(path); });
}

bool CandidateFilesWin::findOnSearchPath(const std::string& name, std::string& found) {
    return inEitherSystemFolder([&] { return searchFile(name, found); });
}

}  // namespace Velmar
