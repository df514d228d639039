#include "shared/library/files/LockFile.h"

#include "shared/library/files/FileOps.h"
#include "shared/library/files/LockRecord.h"
#include "shared/library/common/WinApi.h"

#include <atomic>
#include <limits>
#include <vector>

namespace Velmar {

namespace {

// A lock file is four short lines; anything beyond this is not read.
constexpr DWORD kMaxLockFileBytes = 4096;

// Creating the lock file is tried again after a stale claim was removed, or
// while a released one is still on its way out (a reader holds it for a moment).
constexpr int kClaimAttempts = 50;
constexpr DWORD kClaimPauseMs = 10;

// A stale lock file that cannot be deleted at once may be held by a reader of
// another program for a moment; a live owner keeps it for longer.
constexpr int kDeleteAttempts = 5;
constexpr DWORD kDeletePauseMs = 20;

std::atomic<uint32_t> lockObjectCounter{0};

// The token must differ between processes started in the same second and
// between lock objects made in the same second, or an owner would take
// another's unexpired claim for its own and delete it. The seed therefore
// mixes the time with the process id, a per-process counter, the object's
// address and the performance counter.
std::string newIdentity(const void* object) {
    const DateTime now;
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    const uint64_t address = reinterpret_cast<uintptr_t>(object);
    const std::vector<uint32_t> seed{
        static_cast<uint32_t>(now.getSeconds()),
        static_cast<uint32_t>(::GetCurrentProcessId()),
        ++lockObjectCounter,
        static_cast<uint32_t>(address),
        static_cast<uint32_t>(address >> 32),
        static_cast<uint32_t>(ticks.QuadPart),
        static_cast<uint32_t>(static_cast<uint64_t>(ticks.QuadPart) >> 32),
    };
    return makeIdentityToken(now.toText(), seed);
}

int32_t addClamped(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + b;
    if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(sum);
}

}  // namespace

LockFile::LockFile(const std::string& path)
    : path_(path), start_(0), expiry_(0), identity_(newIdentity(this)) {
    existedAtStart_ = pathExists(path_);
    readExisting();
}

LockFile::~LockFile() {
    if (ownsClaim()) unlock();
}

LockFile::ReadResult LockFile::readExisting() {
    // The fields of an earlier reading must not colour this one.
    claimed_ = false;
    start_ = DateTime(0);
    expiry_ = DateTime(0);
    owner_.clear();
    holdsGuarded_ = false;
    const std::string lock = lockPath();
    // Sharing deletion: a reader must never stop the owner's lock file from
    // going away, or every writer would be refused until the claim expired.
    UniqueFileHandle file(::CreateFileA(lock.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return ReadResult::kNoLockFile;
        }
        // Being deleted (access denied) or held by a program that does not
        // share it: a claim of unknown owner and expiry.
        systemError_ = error;
        claimed_ = true;
        return ReadResult::kBusy;
    }
    claimed_ = true;
    std::string text(kMaxLockFileBytes, '\0');
    DWORD total = 0;
    DWORD got = 0;
    while (total < kMaxLockFileBytes &&
           ::ReadFile(file.get(), &text[total], kMaxLockFileBytes - total, &got, nullptr) &&
           got > 0) {
        total += got;
    }
    text.resize(total);
    LockRecord record;
    const size_t lines = parseLockRecord(text, record);
    // start_ and expiry_ stay at time 0 when their lines are missing or
    // malformed: such a claim has expired and may be taken over.
    if (lines >= 1) start_.fromText(record.start);
    if (lines >= 2) expiry_.fromText(record.expiry);
    if (lines >= 3) owner_ = record.owner;
    if (lines >= 4) holdsGuarded_ = record.holdsGuarded;
    return ReadResult::kRead;
}

bool LockFile::createExclusively(bool hold) {
    const std::string lock = lockPath();
    // CREATE_NEW: of two writers only one creates the file. Without
    // FILE_SHARE_DELETE nobody else can delete it while this handle lives, not
    // even while its content is still being written (a reader seeing it empty
    // then would take it for stale); delete-on-close removes it when the claim
    // is released or the owner dies.
    UniqueFileHandle file(
        ::CreateFileA(lock.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
        systemError_ = ::GetLastError();
        return false;
    }
    const std::string text =
        formatLockRecord(LockRecord{start_.toText(), expiry_.toText(), identity_, hold});
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        systemError_ = ::GetLastError();
        return false;  // closing the handle removes the file again
    }
    lockFile_ = std::move(file);
    claimed_ = true;
    owner_ = identity_;
    holdsGuarded_ = false;
    // Asked again now that no other writer of the suite can create the file.
    existedAtStart_ = pathExists(path_);
    return true;
}

LockFile::ClaimResult LockFile::claim(const TimeSpan& validity, bool hold) {
    if (ownsClaim()) return ClaimResult::kClaimed;
    systemError_ = 0;
    for (int attempt = 1; attempt <= kClaimAttempts; ++attempt) {
        if (attempt > 1) ::Sleep(kClaimPauseMs);
        const DateTime now;
        start_ = now;
        expiry_ = DateTime(addClamped(now.getSeconds(), validity.getSeconds()));
        if (createExclusively(hold)) return ClaimResult::kClaimed;
        // Access denied: a released lock file that a reader still holds open is
        // on its way out.
        if (systemError_ == ERROR_ACCESS_DENIED) continue;
        if (systemError_ != ERROR_FILE_EXISTS && systemError_ != ERROR_ALREADY_EXISTS) {
            return ClaimResult::kFailed;
        }
        if (readExisting() != ReadResult::kRead) continue;
        if (unlock()) continue;  // a stale claim removed: create again
        if (systemError_ == ERROR_ACCESS_DENIED) continue;
        return ClaimResult::kHeldByOther;
    }
    return ClaimResult::kFailed;
}

bool LockFile::holdGuarded() {
    if (!ownsClaim()) return false;
    if (holdsGuarded_) return true;
    // Append mode creates the guarded file when missing but never truncates or
    // moves anything in it, so its old content stays until close moves the copy
    // over it, and discard or a failed update leaves it as it was. Nothing is
    // written through this handle.
    if (!guardedFile_.open(path_, BasicFile::kAppend)) return false;
    holdsGuarded_ = true;
    return true;
}

void LockFile::releaseGuarded() {
    if (guardedFile_.isOpen()) guardedFile_.close();
    if (ownsClaim()) holdsGuarded_ = false;
}

bool LockFile::lock(const TimeSpan& validity, bool hold) {
    if (ownsClaim()) return true;
    if (claim(validity, hold) != ClaimResult::kClaimed) return false;
    if (hold && !holdGuarded()) {
        unlock();
        return false;
    }
    return true;
}

bool LockFile::deleteStaleLockFile() {
    const std::string lock = lockPath();
    // By name: a lock file that another writer has created meanwhile is held
    // by its owner without delete sharing, so this can only remove a file
    // nobody holds.
    for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
        if (::DeleteFileA(lock.c_str())) return true;
        const DWORD error = ::GetLastError();
        // Someone else removing the stale file first is as good as removing it.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        systemError_ = error;
        if (attempt < kDeleteAttempts) ::Sleep(kDeletePauseMs);
    }
    return false;
}

bool LockFile::unlock() {
    if (!claimed_) return true;
    if (owner_ != identity_) {
        if (DateTime().getSeconds() < expiry_.getSeconds()) {
            systemError_ = 0;
            return false;
        }
        if (!deleteStaleLockFile()) return false;
    } else {
        releaseGuarded();
        // Delete-on-close: closing the handle removes the lock file.
        if (!lockFile_.reset()) {
            systemError_ = ::GetLastError();
            claimed_ = false;
            return false;
        }
    }
    claimed_ = false;
    holdsGuarded_ = false;
    return true;
}

}  // namespace Velmar
