#include "app/CandidateFilesWin.h"

#include "shared/library/common/FileOps.h"
#include "shared/library/common/win32/WinApi.h"

namespace Velmar {

std::string CandidateFilesWin::longForm(const std::string& path) {
    return resolveStoredPath(path);
}

bool CandidateFilesWin::exists(const std::string& path) {
    return pathExists(path);
}

bool CandidateFilesWin::findOnSearchPath(const std::string& name, std::string& found) {
    char buffer[MAX_PATH];
    // The answer is the length of the path found, or the room it needs when it
    // does not fit: a cut path is never taken.
    const DWORD length = ::SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    found.assign(buffer, length);
    return true;
}

}  // namespace Velmar
