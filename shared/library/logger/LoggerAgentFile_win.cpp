#include "shared/library/logger/LoggerAgentFile.h"

#include "shared/library/files/FileOps.h"
#include "shared/library/files/FilePlain.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/logger/LogRotation.h"
#include "shared/library/logger/LogSettings.h"

#include <memory>
#include <new>

namespace Velmar {

namespace {

constexpr const char* kOpenedSuffix = "LogOpened";
constexpr const char* kCounterSuffix = "LogCounter";
constexpr const char* kQuittingReason = "Quitting Logger Agent";
constexpr const char* kRotatingReason = "Rotating log file";
constexpr float kSizeFactorStep = 0.25f;
constexpr uint32_t kFlushEveryLines = 1;

// Sets a value for a scope and puts the one it had back at the end, on every
// path (the agent's state while it checks, rotates or writes its open note).
template <typename T>
class ValueScope {
public:
    ValueScope(T& value, T during) : value_(value), saved_(value) { value_ = during; }
    ~ValueScope() { value_ = saved_; }
    ValueScope(const ValueScope&) = delete;
    ValueScope& operator=(const ValueScope&) = delete;

private:
    T& value_;
    const T saved_;
};

bool nameTaken(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One attempt, never over an existing file: a rename that fails is noted in
// the file and retried only when the raised size limit is reached again.
// Retrying here would keep every other process of the suite out of the log
// file longer than it waits for the lock.
bool renameOnce(const std::string& from, const std::string& to, uint32_t& error) {
    if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
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

bool LoggerAgentFile::storeCounter(const std::string& text) {
    return writeSuiteString(valueName(kCounterSuffix), text) == kRegOk;
}

void LoggerAgentFile::computeNext() {
    const RotationSettings& settings = rotationSettings();
    computeNextRotation(settings.scheme, settings.period, DateTime(), DateTime::localZone(),
                        openSeconds_, nextRotation_);
}

bool LoggerAgentFile::setFile(const std::string& newPath) {
    const MonopolyGuard inProcess(threadLock_);
    if (file_ && file_->path() == newPath) return true;

    std::unique_ptr<FilePlain> replacement;
    try {
        replacement = std::make_unique<FilePlain>(newPath, FilePlain::Sharing::kAll);
    } catch (const std::bad_alloc&) {
        return false;
    }

    std::string note;
    if (isOpen()) {
        const std::string oldPath = file_->path();
        // The close note still belongs to the old file and is written under
        // its lock; the new lock name applies from the new file on.
        close(movedReason(newPath));
        note = continuedFromNote(oldPath);
    }
    fileLock_.setName(fileName(newPath));
    file_ = std::move(replacement);
    if (!note.empty()) writeLine(note);
    return true;
}

void LoggerAgentFile::close(const std::string& reason) {
    const MonopolyGuard inProcess(threadLock_);
    if (!isOpen()) return;
    writeLine(closeNote(file_->path(), DateTime(), reason));
    file_->close();
}

void LoggerAgentFile::openFile(bool withNote) {
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

    file_->open(kOpenFlags);
    if (withNote) {
        const ValueScope<int32_t> opening(state_, kOpening);
        appendLine(openNote(file_->path(), now));
    }
    if (!rotationPrepared_) {
        computeNext();
        rotationPrepared_ = true;
    }
    if (!existed) writeSuiteString(valueName(kOpenedSuffix), openTime_.toCompactText());
    openSeconds_ = openTime_.getSeconds();
    computeNext();
}

void LoggerAgentFile::followPath() {
    if (!isOpen() || file_->pathNamesOpenFile()) return;
    // Whoever moved the file wrote its notes; this handle only lets go of it.
    file_->close();
    openFile(false);
}

void LoggerAgentFile::appendLine(const std::string& text) {
    RotationSettings& settings = rotationSettings();
    file_->seek(0, 2);
    file_->writeText(text + kLogLineEnd);
    if (++settings.linesSinceFlush >= kFlushEveryLines) {
        file_->flush();
        settings.linesSinceFlush = 0;
    }
}

bool LoggerAgentFile::writeLine(const std::string& text) {
    const MonopolyGuard inProcess(threadLock_);
    if (!file_) return false;
    RotationSettings& settings = rotationSettings();

    try {
        if (settings.period != settings.lastSeenPeriod ||
            settings.sizeMiB != settings.lastSeenSize) {
            settings.lastSeenPeriod = settings.period;
            settings.lastSeenSize = settings.sizeMiB;
            computeNext();
        }
        // Other threads wait on the in-process lock held above, so a write
        // that finds the agent busy is one of its own notes, written under the
        // file lock that the busy step holds.
        if (state_ != kIdle) {
            if (file_->isClosed()) openFile(false);
            appendLine(text);
            return true;
        }
        const MonopolyGuard fileLock(fileLock_, kLockWaitMs);
        if (!fileLock.held()) return false;
        followPath();
        checkRotation();
        if (file_->isClosed()) openFile(true);
        appendLine(text);
        settings.initPending = false;
        return true;
    } catch (...) {
        return false;
    }
}

void LoggerAgentFile::checkRotation() {
    if (!isOpen() || state_ != kIdle) return;
    const RotationSettings& settings = rotationSettings();
    if (settings.scheme == kRotateNone) return;
    const ValueScope<int32_t> checking(state_, kChecking);

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
    if (reasons.empty()) return;
    // Under the file lock the caller holds: no other process writes between
    // the note and the rotation.
    writeLine(rotateConditionNote(reasons));
    rotate();
}

std::string LoggerAgentFile::nextRotatedName(const std::string& oldPath) {
    RotationSettings& settings = rotationSettings();
    readSuiteValue(valueName(kCounterSuffix), settings.counterText);
    std::string name = rotatedFileName(oldPath, openTime_, settings.counterText);
    // A counter that could not be stored, or was set back, would name a file
    // rotated before: the counter moves on past every taken name.
    for (int tries = 1; tries < kRotatedNameTries && nameTaken(name); ++tries) {
        settings.counterText = nextCounterText(settings.counterText);
        name = rotatedFileName(oldPath, openTime_, settings.counterText);
    }
    storeCounter(nextCounterText(settings.counterText));
    return name;
}

void LoggerAgentFile::rotate() {
    const ValueScope<int32_t> rotating(state_, kRotating);
    try {
        writeLine(rotationStartedNote());
        const std::string oldPath = file_->path();
        const std::string newPath = nextRotatedName(oldPath);
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
}

}  // namespace Velmar
