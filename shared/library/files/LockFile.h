// A lock file beside a file being written: it tells the other processes of the
// suite that the file is being updated and until when the claim holds. The
// claim is advisory; it is tested by its content and its expiry.
//
// The lock file is created exclusively, so of two writers only one can create
// it. Its owner keeps it open, without letting others delete it, for as long
// as the claim lasts, and the system removes it when that handle is closed (also
// when the owner dies). Readers of a lock file share deletion with its owner, so
// that reading a claim never keeps it alive.
#pragma once

#include "shared/library/files/BasicFile.h"
#include "shared/library/time/DateTime.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/common/WinHandle.h"

#include <cstdint>
#include <string>

namespace Velmar {

class LockFile {
public:
    enum class ClaimResult {
        kClaimed,      // this object owns the claim now
        kHeldByOther,  // another owner's claim holds (unexpired, or still held open)
        kFailed,       // the lock file cannot be made or written
    };

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

    // Creates the lock file exclusively and writes the claim into it (start
    // now, expiry now + validity, this object's identity, "original" or
    // "missing" by `hold`); the guarded file is not touched. An existing lock
    // file is read again: another owner's unexpired claim gives kHeldByOther;
    // an expired or unreadable one is deleted and the creation tried again, so
    // that of several writers taking over one stale claim only one wins. On
    // success existedAtStart() tells whether the guarded file exists now that
    // nobody else can create it. kClaimed at once when this object owns the claim.
    ClaimResult claim(const TimeSpan& validity, bool hold);

    // Holds the guarded file open (creating it when missing) without changing
    // its content, until releaseGuarded() or unlock(). Only under an own claim;
    // false when not claimed by this object or the file cannot be opened.
    bool holdGuarded();

    // Closes the hold on the guarded file, so that it can be replaced; the
    // claim stays.
    void releaseGuarded();

    // claim(), then with `hold` holdGuarded(). True when already claimed by
    // this object; false when the claim is not taken or the guarded file cannot
    // be held (the claim is released again then).
    bool lock(const TimeSpan& validity, bool hold);

    // True when not claimed. False while another owner's claim has not expired.
    // An expired claim of another owner is deleted (the delete retried briefly;
    // false when it cannot be, with systemError() telling why); an own claim is
    // released and its lock file removed.
    bool unlock();

    bool claimed() const { return claimed_; }
    bool existedAtStart() const { return existedAtStart_; }
    bool holdsGuarded() const { return holdsGuarded_; }
    const std::string& identity() const { return identity_; }
    const std::string& owner() const { return owner_; }
    const DateTime& start() const { return start_; }
    const DateTime& expiry() const { return expiry_; }
    std::string lockPath() const { return path_ + ".lock"; }
    // The Windows error of the last failed step of claim or unlock; 0 when none.
    uint32_t systemError() const { return systemError_; }

private:
    enum class ReadResult { kNoLockFile, kRead, kBusy };

    // Reads the lock file into the claim fields; kBusy when it exists but
    // cannot be opened now (it is being deleted).
    ReadResult readExisting();
    // Creates the lock file and writes the claim; false with systemError_ set.
    bool createExclusively(bool hold);
    bool deleteStaleLockFile();
    bool ownsClaim() const { return claimed_ && owner_ == identity_; }

    std::string path_;
    UniqueFileHandle lockFile_;
    BasicFile guardedFile_;
    DateTime start_;
    DateTime expiry_;
    std::string owner_;
    std::string identity_;
    bool claimed_ = false;
    bool existedAtStart_ = false;
    bool holdsGuarded_ = false;
    uint32_t systemError_ = 0;
};

}  // namespace Velmar
