// The file system as candidate processing sees it, over the Windows API.
#pragma once

#include "app/CandidateSet.h"

namespace Velmar {

class CandidateFilesWin : public CandidateFiles {
public:
    // resolveStoredPath.
    std::string longForm(const std::string& path) override;
    // pathExists; in a 32-bit process on 64-bit Windows a path that exists
    // only with file-system redirection off (the real system folder) too.
    bool exists(const std::string& path) override;
    // shortPathName.
    bool shortForm(const std::u16string& path, std::string& shortPath) override;
    // GetDriveTypeA of the drive's root is DRIVE_REMOTE.
    bool isRemoteDrive(char letter) override;
    // SearchPathA with the system's search order, redirection as for exists.
    // A directory, and a full path that would not fit MAX_PATH characters,
    // count as not found.
    bool findOnSearchPath(const std::string& name, std::string& found) override;
};

}  // namespace Velmar
