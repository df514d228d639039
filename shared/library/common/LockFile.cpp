#include "shared/library/common/LockFile.h"

#include "shared/library/common/FileOps.h"
#include "shared/library/common/LockRecord.h"
#include "shared/library/common/win32/WinApi.h"

#include <atomic>
#include <limits>
#include <vector>

namespace Velmar {

namespace {

// A lock file is four short lines; anything beyond this is not read.
constexpr uint64_t kMaxLockFileBytes = 4096;

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
    if (claimed_ && owner_ == identity_) unlock();
}

void LockFile::readExisting() {
    const std::string lock = lockPath();
    if (!pathExists(lock)) return;
    claimed_ = true;
    std::string text;
    BasicFile file;
    if (file.open(lock, BasicFile::kRead)) {
        text.resize(kMaxLockFileBytes);
        text.resize(static_cast<size_t>(file.read(&text[0], text.size())));
    }
    LockRecord record;
    const size_t lines = parseLockRecord(text, record);
    // start_ and expiry_ stay at time 0 when their lines are missing or
    // malformed: such a claim has expired and may be taken over. A live owner
    // keeps its lock file open, which stops it from being deleted.
    if (lines >= 1) start_.fromText(record.start);
    if (lines >= 2) expiry_.fromText(record.expiry);
    if (lines >= 3) owner_ = record.owner;
    if (lines >= 4) holdsGuarded_ = record.holdsGuarded;
}

bool LockFile::lock(const TimeSpan& validity, bool hold) {
    const DateTime now;
    start_ = now;
    expiry_ = DateTime(addClamped(now.getSeconds(), validity.getSeconds()));
    if (claimed_) return true;

    const std::string lock = lockPath();
    if (!lockFile_.open(lock, BasicFile::kWrite)) return false;
    const LockRecord record{start_.toText(), expiry_.toText(), identity_, hold};
    // Flushed at once: the lock file stays open while the claim lasts, and
    // other processes must see its content meanwhile.
    if (!lockFile_.write(formatLockRecord(record)) || !lockFile_.flush()) {
        lockFile_.close();
        deleteFile(lock);
        return false;
    }
    // The guarded file is held in append mode: that creates it when missing
    // but never truncates or moves anything in it, so its old content stays
    // until close moves the copy over it, and discard or a failed update
    // leaves it as it was. Nothing is written through this handle.
    if (hold && !guardedFile_.open(path_, BasicFile::kAppend)) {
        lockFile_.close();
        deleteFile(lock);
        return false;
    }
    claimed_ = true;
    holdsGuarded_ = hold;
    owner_ = identity_;
    return true;
}

bool LockFile::unlock() {
    if (!claimed_) return true;
    const std::string lock = lockPath();
    if (owner_ != identity_) {
        if (DateTime().getSeconds() < expiry_.getSeconds()) return false;
        // Someone else removing the stale file first is as good as removing it.
        if (!deleteFile(lock) && pathExists(lock)) return false;
    } else {
        if (holdsGuarded_) guardedFile_.close();
        lockFile_.close();
        deleteFile(lock);
    }
    claimed_ = false;
    holdsGuarded_ = false;
    return true;
}

}  // namespace Velmar
