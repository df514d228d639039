// The set of executables collected by the scans: every path a scan finds is
// cleaned, tested for existence, de-duplicated and named by the resolver.
#pragma once

#include "app/CandidateSink.h"
#include "app/InventoryRecord.h"
#include "shared/library/common/Log.h"

#include <map>
#include <set>
#include <string>

namespace Velmar {

// What candidate processing asks of the file system.
class CandidateFiles {
public:
    virtual ~CandidateFiles() = default;
    // The path with every short 8.3 component in its long form.
    virtual std::string longForm(const std::string& path) = 0;
    // Whether a file or directory (or a drive's root) exists at the path.
    virtual bool exists(const std::string& path) = 0;
    // Looks a bare file name up on the system's search path; on success `found`
    // is the full path found. False (and `found` untouched) when not found.
    virtual bool findOnSearchPath(const std::string& name, std::string& found) = 0;
};

// The application name of an executable; "!" means: leave it out.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    virtual std::string applicationName(const std::string& path) = 0;
};

class CandidateSet : public CandidateSink {
public:
    // The three collaborators must outlive the set.
    CandidateSet(CandidateFiles& files, NameResolver& resolver, Log& log);

    // Cleans the path (long form when it holds "~", then cleanCandidatePath,
    // then the long form again when a "~" is left); a path with a directory
    // must be fully qualified and exist, a bare file name is replaced by the
    // lower-cased path the search path gives for it. Answers true when the
    // path was new and got a name other than "!" and was stored; false when it
    // was rejected, already held or to be ignored (an ignored path is not
    // remembered). Debug messages at level 5 only.
    //
    // The file system is asked once per cleaned path and once per bare name in
    // a run: a path already held counts as existing, a rejected one stays
    // rejected, and a name's search result is kept. A hive names the same few
    // executables many thousand times.
    bool processCandidate(std::string path) override;

    const CandidateMap& candidates() const { return candidates_; }

private:
    CandidateFiles& files_;
    NameResolver& resolver_;
    Log& log_;
    CandidateMap candidates_;
    std::set<std::string> rejected_;
    // Bare name -> lower-cased full path found; "" when not found.
    std::map<std::string, std::string> searched_;
};

}  // namespace Velmar
