#include "shared/library/logger/LoggerAgentFile.h"

#include "shared/library/common/FileOps.h"
#include "shared/library/common/FilePlain.h"
#include "shared/library/common/FileUtils.h"
#include "shared/library/common/SystemInfo.h"
#include "shared/library/common/win32/WinApi.h"
#include "shared/library/logger/LogRotation.h"
#include "shared/library/logger/LogSettings.h"

#include <new>

namespace Velmar {

namespace {

constexpr const char* kOpenedSuffix = "LogOpened";
constexpr const char* kCounterSuffix = "LogCounter";
constexpr const char* kQuittingReason = "Quitting Logger Agent";
constexpr const char* kRotatingReason = "Rotating log file";
constexpr float kSizeFactorStep = 0.25f;
constexpr uint32_t kFlushEveryLines = 1;

// Holds the in-process lock for a scope (it is re-entrant).
class ThreadLockScope {
public:
    explicit ThreadLockScope(Monopoly& lock) : lock_(lock) { lock_.enforce(); }
    ~ThreadLockScope() { lock_.relax(); }
    ThreadLockScope(const ThreadLockScope&) = delete;
    ThreadLockScope& operator=(const ThreadLockScope&) = delete;

private:
    Monopoly& lock_;
};

// One attempt: a rename that fails is noted in the file and retried only when
// the raised size limit is reached again. Retrying here would keep every other
// process of the suite out of the log file longer than it waits for the lock,
// and their lines would be lost.
bool renameOnce(const std::string& from, const std::string& to, uint32_t& error) {
    if (::MoveFileExA(from.c_str(), to.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED |
                          MOVEFILE_WRITE_THROUGH)) {
        error = 0;
        return true;
    }
    error = ::GetLastError();
    return false;
}

}  // namespace

LoggerAgentFile::LoggerAgentFile() { setRotationSize(kDefaultRotationSizeMiB); }

LoggerAgentFile::~LoggerAgentFile() {
    try {
        close(kQuittingReason);
    } catch (...) {
        // A destructor cannot report; the file object closes itself below.
    }
}

std::string LoggerAgentFile::path() const { return file_ ? file_->path() : std::string(); }

bool LoggerAgentFile::isOpen() const { return file_ && !file_->isClosed(); }

std::string LoggerAgentFile::location() const { return "file:///" + path(); }

bool LoggerAgentFile::write(const std::string& line) { return writeLine(line); }

std::string LoggerAgentFile::valueName(const char* suffix) const {
    return applicationDisplayName() + suffix;
}

bool LoggerAgentFile::takeFileLock() {
    threadLock_.enforce();
    if (fileLockDepth_ > 0) {
        ++fileLockDepth_;
        return true;
    }
    auto named = std::make_unique<Monopoly>(lockName_);
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        if (named->enforce()) {
            fileLock_ = std::move(named);
            fileLockDepth_ = 1;
            return true;
        }
        ::Sleep(kLockPauseMs);
    }
    threadLock_.relax();
    return false;
}

void LoggerAgentFile::releaseFileLock() {
    if (fileLockDepth_ == 0) return;
    if (--fileLockDepth_ == 0) {
        fileLock_->relax();
        fileLock_.reset();
    }
    threadLock_.relax();
}

void LoggerAgentFile::computeNext() {
    const RotationSettings& settings = rotationSettings();
    computeNextRotation(settings.scheme, settings.period, DateTime(), DateTime::localZone(),
                        openSeconds_, nextRotation_);
}

bool LoggerAgentFile::setFile(const std::string& newPath) {
    ThreadLockScope scope(threadLock_);
    if (file_ && file_->path() == newPath) return true;

    std::unique_ptr<FilePlain> replacement(new (std::nothrow) FilePlain(newPath));
    if (!replacement) return false;

    std::string note;
    if (isOpen()) {
        const std::string oldPath = file_->path();
        // The close note still belongs to the old file and is written under
        // its lock; the new lock name applies from the new file on.
        close(movedReason(newPath));
        note = continuedFromNote(oldPath);
    }
    lockName_ = fileName(newPath);
    file_ = std::move(replacement);
    if (!note.empty()) writeLine(note);
    return true;
}

void LoggerAgentFile::close(const std::string& reason) {
    ThreadLockScope scope(threadLock_);
    if (!isOpen()) return;
    writeLine(closeNote(file_->path(), DateTime(), reason));
    file_->close();
}

bool LoggerAgentFile::openFile() {
    RotationSettings& settings = rotationSettings();
    const DateTime now;
    const bool existed = pathExists(file_->path());
    if (existed) {
        std::string opened;
        DateTime read(0);
        if (readSuiteValue(valueName(kOpenedSuffix), opened) == kRegOk && read.fromText(opened)) {
            openTime_ = read;
        }
    } else {
        settings.initPending = false;
    }

    bool locked = false;
    try {
        if (state_ == kIdle) {
            if (!takeFileLock()) return false;
            locked = true;
        }
        file_->open(kOpenFlags);
        if (state_ == kIdle) {
            state_ = kOpening;
            const bool noted = writeLine(openNote(file_->path(), now));
            state_ = kIdle;
            if (!noted) {
                if (locked) releaseFileLock();
                return false;
            }
        }
        if (!rotationPrepared_) {
            computeNext();
            rotationPrepared_ = true;
        }
    } catch (...) {
        if (locked) releaseFileLock();
        return false;
    }
    if (locked) releaseFileLock();

    if (!existed) writeSuiteString(valueName(kOpenedSuffix), openTime_.toCompactText());
    openSeconds_ = openTime_.getSeconds();
    computeNext();
    return true;
}

bool LoggerAgentFile::writeLine(const std::string& text) {
    ThreadLockScope scope(threadLock_);
    if (!file_) return false;
    RotationSettings& settings = rotationSettings();

    if (settings.period != settings.lastSeenPeriod || settings.sizeMiB != settings.lastSeenSize) {
        settings.lastSeenPeriod = settings.period;
        settings.lastSeenSize = settings.sizeMiB;
        computeNext();
    }
    // Other threads wait on the in-process lock held above, so a write that
    // finds the agent busy is one of its own notes and goes straight on.
    if (state_ == kIdle) checkRotation();

    if (file_->isClosed() && !openFile()) return false;

    bool locked = false;
    try {
        if (state_ == kIdle) {
            if (!takeFileLock()) return false;
            locked = true;
        }
        file_->seek(0, 2);
        file_->writeText(text + kLogLineEnd);
        if (state_ == kIdle) settings.initPending = false;
        if (++settings.linesSinceFlush >= kFlushEveryLines) {
            file_->flush();
            settings.linesSinceFlush = 0;
        }
    } catch (...) {
        if (locked) releaseFileLock();
        return false;
    }
    if (locked) releaseFileLock();
    return true;
}

void LoggerAgentFile::checkRotation() {
    if (!isOpen() || state_ != kIdle) return;
    const RotationSettings& settings = rotationSettings();
    if (settings.scheme == kRotateNone) return;
    state_ = kChecking;

    RotationCheck check;
    check.scheme = settings.scheme;
    check.initPending = settings.initPending;
    check.period = settings.period;
    check.now = DateTime();
    check.nextRotation = nextRotation_;
    check.sizeMiB = settings.sizeMiB;
    check.sizeFactor = sizeFactor_;
    if ((settings.scheme & kRotateSize) != 0) {
        try {
            check.fileBytes = static_cast<uint64_t>(file_->seek(0, 2));
        } catch (...) {
            check.fileBytes = 0;  // an unreadable size never forces a rotation
        }
    }
    const std::string reasons = rotationReasons(check);
    if (reasons.empty()) {
        state_ = kIdle;
        return;
    }
    // The note and the rotation share one hold of the file lock, so no other
    // process writes between them.
    if (!takeFileLock()) {
        state_ = kIdle;
        return;
    }
    writeLine(rotateConditionNote(reasons));
    rotate();
    releaseFileLock();
}

void LoggerAgentFile::rotate() {
    if (!takeFileLock()) {
        state_ = kIdle;
        return;
    }
    state_ = kRotating;
    RotationSettings& settings = rotationSettings();
    try {
        writeLine(rotationStartedNote());
        const std::string oldPath = file_->path();
        readSuiteValue(valueName(kCounterSuffix), settings.counterText);
        const std::string newPath = rotatedFileName(oldPath, openTime_, settings.counterText);
        writeSuiteString(valueName(kCounterSuffix), nextCounterText(settings.counterText));
        writeLine(renamingNote(oldPath, newPath));
        close(kRotatingReason);

        uint32_t error = 0;
        if (renameOnce(oldPath, newPath, error)) {
            sizeFactor_ = 1.0f;
            // Opens a new file under the old path, without an open note.
            writeLine(continuedFromNote(fileName(newPath)));
        } else {
            sizeFactor_ += kSizeFactorStep;
            // Reopens the old file, without an open note.
            writeLine(rotationErrorNote(error));
        }
    } catch (...) {
        // A failed close leaves the file closed; the next write reopens it.
    }
    state_ = kIdle;
    releaseFileLock();
}

}  // namespace Velmar
