// Writing the candidate set into the inventory data file. A record is written
// at the end of the last whole record: after a failed write the next one goes
// back there and writes the failed record again in front of its own, and when
// the last write fails the file is cut there, so the file only ever holds
// whole records.
#pragma once

#include "app/InventoryRecord.h"
#include "shared/library/common/Log.h"

#include <cstdint>
#include <string>

namespace Velmar {

// The data file as the writer uses it. Implemented over the file system by
// the Windows layer; tests put failing writes in its place.
class RecordFile {
public:
    virtual ~RecordFile() = default;
    // Creates the file or empties it, for writing bytes unchanged, at
    // position 0. False when it cannot be opened.
    virtual bool open(const std::string& path) = 0;
    // Moves the write position. False on failure.
    virtual bool seek(uint64_t position) = 0;
    // Writes every byte at the position and moves past them; false when not
    // all of them reached the file (some may have).
    virtual bool write(const std::string& bytes) = 0;
    // Makes the file end at `size`. False on failure.
    virtual bool truncate(uint64_t size) = 0;
    // False when the file could not be closed cleanly.
    virtual bool close() = 0;
};

// Writes one record per candidate, in key order, each with `intervalStart` as
// its field 2, into `file` freshly opened at `path`, and closes it. ERROR 14
// (the path) for every failed write. Answers how many records the file holds
// at the end.
size_t writeInventoryRecords(const CandidateMap& candidates, const HostIdentity& host,
                             int64_t intervalStart, const std::string& path, RecordFile& file,
                             Log& log);

// The whole step: debug 1 "Now logging data to disk..."; nothing more for an
// empty set (no file is made); otherwise the file "inventory-<now>.data" in
// `workingDir` (which ends with a separator) is opened (CRITICAL 13 with its
// path and nothing more when it cannot be), written with the interval starting
// at the beginning of the current local day, and debug 1
// "   Done logging data to disk.".
void writeInventoryData(const CandidateMap& candidates, const HostIdentity& host,
                        const std::string& workingDir, RecordFile& file, Log& log);

}  // namespace Velmar
