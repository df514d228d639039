// LoggerAgentFile: the log file agent. Appends finished log lines to one file
// that other processes of the suite may write at the same time: every write is
// made under an in-process lock and a system-wide lock named after the file's
// base name (so files of one name in different directories share the lock).
// The agent writes notes of its own when it opens, closes, moves or rotates the
// file, and rotates it under the process-wide rotation settings (LogRotation.h).
//
// Several processes: the file is open with read, write and delete sharing, so
// any writer may rotate it. Under the system-wide lock each write first checks
// that its open file is still the one the path names; when another writer has
// rotated it away, it closes its handle and goes on in the file now under the
// path (without an open note: the rotating writer wrote "Log continued from").
// So the rotation conditions are judged on the file under the path, the file is
// rotated once, and no line goes to a rotated file after its close note.
// A rotation never replaces a file: when the rotated name is taken, the counter
// moves on until it is free.
//
// Registry: under the suite key, "<application display name>LogOpened" holds
// the compact UTC opening time of the file in use and "...LogCounter" the next
// rotation counter.
//
// Windows layer only. Every line is flushed before write returns.
#pragma once

#include "shared/library/time/DateTime.h"
#include "shared/library/common/Monopoly.h"
#include "shared/library/logger/LoggerAgent.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Velmar {

class FilePlain;

class LoggerAgentFile : public LoggerAgent {
public:
    // How long a write waits for the cross-process lock, in milliseconds.
    // Waiters are served in turn.
    static constexpr uint32_t kLockWaitMs = 2000;
    // How many taken rotated names a rotation steps over before it gives up.
    static constexpr int kRotatedNameTries = 10000;
    // The open flags of the log file: Write, Append, Direct, NoLock and 0x08:
    // written at its end, without a lock file and without a temporary copy.
    static constexpr uint16_t kOpenFlags = 0x7a;

    // No file yet; the process-wide rotation size becomes 10 MiB again.
    LoggerAgentFile();
    // Closes the file with the reason "Quitting Logger Agent". Never throws.
    ~LoggerAgentFile() override;

    // "file:///" and the path of the current file ("file:///" without one).
    std::string location() const override;
    bool isReady() const override { return true; }

    // Appends the line and "\r\n", opening the file (with its open note) and
    // rotating it first when needed. False when no file is set, the
    // cross-process lock cannot be had within kLockWaitMs, or opening or
    // writing fails. Never throws.
    bool write(const std::string& line) override;

    // Makes `path` the log file. The same path: nothing happens. When the old
    // file is open, it is closed with the reason "Log file moved to "<path>"."
    // and the new one is opened at once with its open note followed by
    // "Log continued from "<old path>".". False only when the file object
    // cannot be made.
    bool setFile(const std::string& path) override;

    // Writes the close note with the reason, then closes the file. Nothing
    // happens when the file is not open.
    void close(const std::string& reason);

    std::string path() const;
    bool isOpen() const;
    // The multiplier of the size limit: grows by 0.25 with every failed rename.
    float sizeFactor() const { return sizeFactor_; }
    const DateTime& openTime() const { return openTime_; }
    const DateTime& nextRotation() const { return nextRotation_; }

protected:
    // Stores the next rotation counter in the registry; false when it cannot.
    // A seam: tests replace it to see rotations whose counter stays behind.
    virtual bool storeCounter(const std::string& text);

private:
    enum State : int32_t { kIdle = 0, kChecking = 1, kRotating = 2, kOpening = 3 };

    // Writes one line; while the agent is busy (state not idle) the line is
    // one of its own notes and goes without the checks and the file lock.
    bool writeLine(const std::string& text);
    // Opens the file under the path, with the open note when asked. Throws
    // FileException when it cannot be opened or the note not written.
    void openFile(bool withNote);
    // When another process has moved the open file away, goes on in the file
    // the path names.
    void followPath();
    void appendLine(const std::string& text);
    void checkRotation();
    void rotate();
    // The name the file is rotated to: the first one not taken, from the
    // registry counter on; the counter after it is stored.
    std::string nextRotatedName(const std::string& path);
    void computeNext();
    std::string valueName(const char* suffix) const;

    std::unique_ptr<FilePlain> file_;
    Monopoly threadLock_;
    Monopoly fileLock_{""};  // named after the file's base name by setFile
    DateTime openTime_;
    DateTime nextRotation_{0};
    int32_t openSeconds_ = 0;
    bool rotationPrepared_ = false;
    int32_t state_ = kIdle;
    float sizeFactor_ = 1.0f;
};

}  // namespace Velmar
