// Writing the candidate set into the inventory data file. The collector takes
// every "inventory-<seconds>.data" file of the working directory as a whole
// inventory, so the records go to a temporary file of another name first; only
// when every record is written and on the disk does that file take a data
// file's name, and never one that is taken. A run that fails, or ends early,
// publishes nothing.
#pragma once

#include "app/InventoryRecord.h"
#include "shared/library/common/Log.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

// The data file as the writer uses it. Implemented over the file system by
// the Windows layer; tests put failing writes in its place.
class RecordFile {
public:
    enum class Publish { kDone, kNameTaken, kFailed };

    virtual ~RecordFile() = default;
    // Creates the file or empties it, for writing bytes unchanged, at
    // position 0, held so that no other process can remove or rename it. False
    // when it cannot be opened.
    virtual bool open(const std::string& path) = 0;
    // Moves the write position. False on failure.
    virtual bool seek(uint64_t position) = 0;
    // Writes every byte at the position and moves past them; false when not
    // all of them reached the file (some may have).
    virtual bool write(const std::string& bytes) = 0;
    // Puts everything written on the disk. False on failure.
    virtual bool flush() = 0;
    // Gives the open file the name `path` (in its own directory), never
    // replacing a file of that name: kNameTaken when one exists, kFailed for
    // any other failure. The file stays open.
    virtual Publish publish(const std::string& path) = 0;
    // False when the file could not be closed cleanly.
    virtual bool close() = 0;
    // Closes the file and removes it. False when it could not be removed.
    virtual bool discard() = 0;
    // Removes every file of `directory` whose name isTemporaryDataFileName
    // accepts and that can be removed (one that a running writer holds open
    // cannot); answers the names removed.
    virtual std::vector<std::string> removeTemporaryFiles(const std::string& directory) = 0;
};

// The name of a run's temporary data file: "inventory." <tag> ".partial",
// the tag telling the run from others that write at the same time (the
// process number). Not a data file's name, so the collector leaves it.
std::string temporaryDataFileName(uint32_t tag);
// Whether `name` is a temporary data file's name (the tag in decimal digits).
bool isTemporaryDataFileName(const std::string& name);

// Data file names tried after the one of the current second, each a second
// later, before the run gives up.
constexpr int64_t kDataFileNameTries = 3600;

// What the writing step did.
struct InventoryOutcome {
    bool delivered = false;  // a data file holds the records, or there were none
    size_t records = 0;      // records in the data file
    std::string fileName;    // the data file's name (without its directory)
};

// The data file as the run's summary names it: its name, or "none (no
// executable found)" for a run that found nothing, or "none (not delivered)"
// for one whose records could not be delivered.
std::string dataFileSummary(const InventoryOutcome& outcome);

// Writes one record per candidate, in key order, each with `intervalStart` as
// its field 2, into `file`, opened at position 0. ERROR 14 (the path) for
// every failed write; a failed record is written again, in front of the next
// one, at the end of the last whole record. Answers how many records the file
// holds whole at the end; the file is left open.
size_t writeInventoryRecords(const CandidateMap& candidates, const HostIdentity& host,
                             int64_t intervalStart, const std::string& path, RecordFile& file,
                             Log& log);

// The whole step. Debug 1 "Now logging data to disk..."; the temporary files
// of earlier runs are removed (debug 2 for each); for an empty set nothing
// more (no file is made, delivered). Otherwise the records go to the
// temporary file temporaryDataFileName(`tag`) in `workingDir` (which ends with
// a separator; CRITICAL 13 with its path when it cannot be created), with the
// interval starting at the beginning of the current local day; when every
// record is written, the file is put on the disk (ERROR 14 with its path on
// failure) and named "inventory-<now>.data", or when that name is taken the
// next second's, and so on (CRITICAL 13 with the name when none can be
// given); debug 1 "   Done logging data to disk.". On any failure the
// temporary file is removed and the outcome is not delivered.
InventoryOutcome writeInventoryData(const CandidateMap& candidates, const HostIdentity& host,
                                    const std::string& workingDir, uint32_t tag, RecordFile& file,
                                    Log& log);

}  // namespace Velmar
