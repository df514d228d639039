#include "app/CandidateSet.h"

#include "app/CandidatePath.h"
#include "shared/library/common/AnsiText.h"
#include "naming/NameRules.h"
#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

// Every message of candidate processing is at this level; it runs once per
// executable found, so nothing is built below it.
constexpr int32_t kCandidateDebugLevel = 5;

}  // namespace

CandidateSet::CandidateSet(CandidateFiles& files, NameResolver& resolver, Log& log,
                           AnsiConverter convert)
    : files_(files), resolver_(resolver), log_(log), converter_(convert) {}

bool CandidateSet::processCandidate(std::string path) {
    const bool verbose = log_.debugLevel() >= kCandidateDebugLevel;
    if (verbose) log_.debug(kCandidateDebugLevel, "   Got candidate \"%s\".", {path});
    // The long form below already asks the file system.
    const std::string cleaned = cleanCandidatePath(path);
    if (onNetwork(cleaned)) return rejectNetworkPath(cleaned, verbose);
    if (path.find('~') == std::string::npos) {
        path = cleaned;
    } else {
        path = cleanCandidatePath(files_.longForm(path));
    }
    // A quote or text in front of the drive ("\"C:\PROGRA~1\...") hides the
    // path's components from the first resolution; the short form would be a
    // second record of the same file.
    if (path.find('~') != std::string::npos) {
        path = files_.longForm(path);
        toLowerCase(path);
    }
    // A long form may have brought a network path out of a text that hid it.
    if (path != cleaned && onNetwork(path)) return rejectNetworkPath(path, verbose);

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

bool CandidateSet::processWideCandidate(const std::u16string& text) {
    const bool verbose = log_.debugLevel() >= kCandidateDebugLevel;
    const std::u16string path = executablePathIn(text);
    // The characters that do not convert are no separators, drive letters or
    // quotes: the display form shows where the path leads.
    const std::string shown = cleanCandidatePath(toAnsiForDisplay(path, converter_));
    if (onNetwork(shown)) return rejectNetworkPath(shown, verbose);
    std::string shortPath;
    if (files_.shortForm(path, shortPath)) return processCandidate(std::move(shortPath));
    if (verbose) {
        log_.debug(kCandidateDebugLevel, "      Rejected candidate \"%s\" (no short name)...",
                   {toAnsiForDisplay(text, converter_)});
    }
    return false;
}

bool CandidateSet::rejectNetworkPath(const std::string& path, bool verbose) {
    if (verbose) {
        log_.debug(kCandidateDebugLevel, "      \"%s\" is a network path, and will be ignored.",
                   {path});
    }
    return false;
}

bool CandidateSet::onNetwork(const std::string& cleaned) {
    if (namesNetworkShare(cleaned)) return true;
    const char letter = driveLetter(cleaned);
    if (letter == '\0') return false;
    auto known = remoteDrives_.find(letter);
    if (known == remoteDrives_.end()) {
        known = remoteDrives_.emplace(letter, files_.isRemoteDrive(letter)).first;
    }
    return known->second;
}

}  // namespace Velmar
