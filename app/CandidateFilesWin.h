// The file system as candidate processing sees it, over the Windows API.
#pragma once

#include "app/CandidateSet.h"

namespace Velmar {

class CandidateFilesWin : public CandidateFiles {
public:
    // resolveStoredPath.
    std::string longForm(const std::string& path) override;
    // pathExists.
    bool exists(const std::string& path) override;
    // SearchPathA with the system's search order. A full path that would not
    // fit MAX_PATH characters counts as not found.
    bool findOnSearchPath(const std::string& name, std::string& found) override;
};

}  // namespace Velmar
