#include "app/CandidateSet.h"

#include "app/CandidatePath.h"
#include "naming/NameRules.h"
#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

// Every message of candidate processing is at this level; it runs once per
// executable found, so nothing is built below it.
constexpr int32_t kCandidateDebugLevel = 5;

}  // namespace

CandidateSet::CandidateSet(CandidateFiles& files, NameResolver& resolver, Log& log)
    : files_(files), resolver_(resolver), log_(log) {}

bool CandidateSet::processCandidate(std::string path) {
    const bool verbose = log_.debugLevel() >= kCandidateDebugLevel;
    if (verbose) log_.debug(kCandidateDebugLevel, "   Got candidate \"%s\".", {path});
    if (path.find('~') != std::string::npos) path = files_.longForm(path);
    path = cleanCandidatePath(std::move(path));
    // A quote or text in front of the drive ("\"C:\PROGRA~1\...") hides the
    // path's components from the first resolution; the short form would be a
    // second record of the same file.
    if (path.find('~') != std::string::npos) {
        path = files_.longForm(path);
        toLowerCase(path);
    }

    bool found = false;
    if (!dirPart(path).empty()) {
        // A relative path ("tools\a.exe") would exist only below the current
        // directory, and its record would name no place: it is never found.
        if (candidates_.count(path) != 0) {
            found = true;  // it existed when it was stored
        } else if (isFullyQualified(path) && rejected_.count(path) == 0) {
            found = files_.exists(path);
            if (!found) rejected_.insert(path);
        }
    } else {
        auto known = searched_.find(path);
        if (known == searched_.end()) {
            std::string full;
            // The set is keyed by lower-case paths; the search path answers
            // in the file system's letter case.
            if (files_.findOnSearchPath(path, full)) toLowerCase(full);
            known = searched_.emplace(path, std::move(full)).first;
        }
        found = !known->second.empty();
        if (found) path = known->second;
    }
    if (!found) {
        if (verbose) log_.debug(kCandidateDebugLevel, "      Rejected candidate \"%s\"...", {path});
        return false;
    }
    if (verbose) log_.debug(kCandidateDebugLevel, "      Processed candidate: \"%s\".", {path});
    if (candidates_.count(path) != 0) {
        if (verbose) log_.debug(kCandidateDebugLevel, "      We already have this one.");
        return false;
    }
    std::string appName = resolver_.applicationName(path);
    trimBlanks(appName);
    if (appName == kIgnoredName) {
        if (verbose) log_.debug(kCandidateDebugLevel, "      This application is to be ignored.");
        return false;
    }
    CandidateRecord& record = candidates_[path];
    record.path = path;
    record.appName = std::move(appName);
    if (verbose) log_.debug(kCandidateDebugLevel, "      Candidate accepted.");
    return true;
}

}  // namespace Velmar
