// Where the scans hand the executable paths they find.
#pragma once

#include <string>

namespace Velmar {

class CandidateSink {
public:
    virtual ~CandidateSink() = default;
    // True when the path was taken as a new candidate; false when it was
    // rejected, repeated or left out.
    virtual bool processCandidate(std::string path) = 0;
    // The same for a text whose characters the ANSI code page cannot all
    // hold, in UTF-16. A sink that keeps no such paths takes none.
    virtual bool processWideCandidate(const std::u16string& /*text*/) { return false; }
};

}  // namespace Velmar
