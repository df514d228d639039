// The set of executables collected by the scans: every path a scan finds is
// cleaned, tested for existence, de-duplicated and named by the resolver.
#pragma once

#include "app/CandidateSink.h"
#include "app/InventoryRecord.h"
#include "shared/library/common/AnsiText.h"
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
    // The short (8.3) form of an existing path given in UTF-16, in 8-bit
    // text. False when the path does not exist or its short form does not
    // convert either (a volume that keeps no short names).
    virtual bool shortForm(const std::u16string& path, std::string& shortPath) = 0;
    // Whether the drive of the lower-case letter is a network drive.
    virtual bool isRemoteDrive(char letter) = 0;
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
    // The three collaborators must outlive the set; `convert` is the
    // conversion to the program's 8-bit text (for the display form of texts
    // that do not convert).
    CandidateSet(CandidateFiles& files, NameResolver& resolver, Log& log, AnsiConverter convert);

    // A path that names a network location (namesNetworkShare, or a drive
    // letter that isRemoteDrive says is a network drive) is rejected before
    // the file system is asked anything about it: a server that is gone
    // answers only after the network's time-out. Otherwise:
    // cleans the path (long form when it holds "~", then cleanCandidatePath,
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

    // A text that does not convert: the executable's path in it
    // (executablePathIn), rejected as a network path as processCandidate
    // does, else turned into its short form, which goes on through
    // processCandidate. Without a short form in the code page it is rejected
    // (debug 5 "      Rejected candidate "%s" (no short name)..." with the
    // text's display form).
    bool processWideCandidate(const std::u16string& text) override;

    const CandidateMap& candidates() const { return candidates_; }

private:
    // Whether the cleaned path names a network location.
    bool onNetwork(const std::string& cleaned);
    // The debug line of a rejected network path; false.
    bool rejectNetworkPath(const std::string& path, bool verbose);

    CandidateFiles& files_;
    NameResolver& resolver_;
    Log& log_;
    AnsiConverter converter_;
    CandidateMap candidates_;
    std::set<std::string> rejected_;
    // Bare name -> lower-cased full path found; "" when not found.
    std::map<std::string, std::string> searched_;
    // Drive letter -> whether it is a network drive, asked once per letter.
    std::map<char, bool> remoteDrives_;
};

}  // namespace Velmar
