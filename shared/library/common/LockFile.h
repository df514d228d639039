// A lock file beside a file being written: it tells the other processes of the
// suite that the file is being updated and until when the claim holds. The
// claim is advisory; it is tested by its content and its expiry.
#pragma once

#include "shared/library/common/BasicFile.h"
#include "shared/library/common/DateTime.h"
#include "shared/library/common/TimeSpan.h"

#include <string>

namespace Velmar {

class LockFile {
public:
    // Makes this object's identity token, notes whether the guarded file
    // exists and reads an existing lock file (path + ".lock"): when there is
    // one the object is claimed by its owner. Lines that cannot be read leave
    // their fields as they were: an unreadable expiry counts as long expired,
    // an unreadable owner as somebody else.
    explicit LockFile(const std::string& path);

    // Releases a claim of this object's own; another owner's claim is left alone.
    virtual ~LockFile();

    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Writes the lock file (start now, expiry now + validity, this object's
    // identity, "original" or "missing" by `hold`) and keeps it open while the
    // claim lasts. With `hold` the guarded file is also held open, without
    // changing its content. True when already claimed; false when the lock
    // file cannot be written or the guarded file cannot be held (no lock file
    // is left behind then).
    bool lock(const TimeSpan& validity, bool hold);

    // True when not claimed. False while another owner's claim has not expired.
    // An expired claim of another owner is removed (false when it cannot be);
    // an own claim is released and its lock file deleted.
    bool unlock();

    bool claimed() const { return claimed_; }
    bool existedAtStart() const { return existedAtStart_; }
    bool holdsGuarded() const { return holdsGuarded_; }
    const std::string& identity() const { return identity_; }
    const std::string& owner() const { return owner_; }
    const DateTime& start() const { return start_; }
    const DateTime& expiry() const { return expiry_; }
    std::string lockPath() const { return path_ + ".lock"; }

private:
    void readExisting();

    std::string path_;
    BasicFile lockFile_;
    BasicFile guardedFile_;
    DateTime start_;
    DateTime expiry_;
    std::string owner_;
    std::string identity_;
    bool claimed_ = false;
    bool existedAtStart_ = false;
    bool holdsGuarded_ = false;
};

}  // namespace Velmar
