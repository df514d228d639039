// The concrete file of the suite over one BasicFile. Opened for writing with
// the default flags, it writes a ".tmp" copy under a ".lock" claim and moves
// the copy over the real file on close, so that no reader ever sees a
// half-written file under its own name. Every failure raises FileException.
#pragma once

#include "shared/library/files/BasicFile.h"
#include "shared/library/files/FileBase.h"

#include <string>

namespace Velmar {

class FilePlain : public FileBase {
public:
    // How the file is shared with other handles while it is open.
    enum class Sharing {
        kStream,  // as the stream functions open files
        // Read, write and delete: other processes may read, write, rename
        // and delete the file while it is open (a file several processes write
        // and any of them may move away).
        kAll,
    };

    explicit FilePlain(const std::string& path, Sharing sharing = Sharing::kStream);

    // An open file is closed as by close(); when it is destroyed while an
    // exception unwinds, it is discarded instead, so that a half-written
    // update never replaces the real file. Never throws.
    ~FilePlain() override;

    // Codes: 4 already open; 8 a refused flag combination (before the file
    // system is touched); 2 Read alone on a missing path; 1, 18, 17 for the
    // lock (17 with the lock path and the Windows error when the lock file
    // could not be made or a stale one removed); 19 when the copy of a file
    // whose content is kept (Append, or Read without Truncate) cannot be made;
    // 5 when the file cannot be opened.
    void open(uint16_t flags) override;

    // Closes, moves the ".tmp" copy over the real file (10 tries 2 s apart; 20
    // when all fail, the copy is kept), and only then releases the lock (16 on
    // failure). 7 when buffered data could not be written: the real file is
    // then left as it was. Does nothing on a closed file.
    void close() override;

    // Closes without moving the copy over the real file; the real file keeps
    // its old content (a file created by the open is removed). Does nothing on
    // a closed file.
    void discard() override;

    // Replaces `out` with up to `count` bytes; true only when exactly `count`
    // were read. Code 10 when the read fails (the file closed or not open for
    // reading included).
    bool readText(std::string& out, uint64_t count) override;

    // Codes 6 closed, 10 read failure (not open for reading included), 14
    // nothing left.
    uint64_t readBytes(void* buffer, uint64_t count) override;

    // Code 12 on failure, detail " - Access: <flags> - BFile error: <number>".
    bool writeText(const std::string& text) override;

    // Codes 6 closed, 11 not open for writing, 12 failure (detail as writeText).
    uint64_t writeBytes(const void* data, uint64_t count) override;

    // The next line without its line feed and carriage returns. Codes 6 closed,
    // 9 not open for reading, 10 read failure, 14 end of file.
    void readLine(std::string& line) override;

    // The text and one line feed. Code 12 on failure (detail as writeText).
    void writeLine(const std::string& text) override;

    // Codes 6 closed, 11 not open for writing, 13 failure.
    void flush() override;

    // Origin 0 start, 1 current, 2 end; returns and stores the new position.
    // Codes 6 closed, 15 failure.
    int64_t seek(int64_t offset, int32_t origin) override;

    // The current position, stored; the stored one when closed.
    int64_t tell() override;

    // Whether the position has reached the size; true when not open for reading.
    bool atEnd() override;

    // Whether the path still names the file that is open, and not another
    // file that has taken its name, or nothing. When the file under the path
    // shows the open file's size, last write time and creation time it is
    // taken as the open file; otherwise their volume serial numbers and file
    // indexes decide. False when closed. Never throws.
    bool pathNamesOpenFile() const;

private:
    class OpenUndo;

    // The steps of open. A flag combination that open refuses (needs no file system).
    static bool refusedCombination(uint16_t flags);
    // The BasicFile mode (1 to 6) of an accepted flag combination.
    static int32_t modeFor(uint16_t flags);
    // Takes the lock file's claim (with the hold of the real file to come
    // unless `direct`); lock_ is set only when the claim is this object's.
    void claim(bool direct);
    // Makes the ".tmp" copy the open works on, then holds the real file.
    void makeCopy(uint16_t flags);
    void openStream(const std::string& target, int32_t mode);
    // Closes the stream, drops the hold and removes the copy and a real file
    // that the open made. Never throws.
    void removeWhatOpenMade();

    std::string tempPath() const { return path_ + ".tmp"; }
    void requireOpen() const;
    void requireReadable() const;
    [[noreturn]] void raiseWriteFailure(uint32_t code) const;
    // removeWhatOpenMade, then the file is closed and the lock released.
    void abandon();
    // Releases and drops the lock; code 16 (detail: the lock path and the
    // Windows error) when its lock file could not be removed.
    void releaseLock();
    // False when every try failed; the copy is kept then.
    bool moveTempOverReal();

    // Opens `target` in the BasicFile mode (1 to 6) with Sharing::kAll; the
    // BasicFile error number (4 when the system or the runtime refuses), 0 on success.
    int32_t openSharedStream(const std::string& target, int32_t mode);

    // The volume serial number and file index of the open file, taken when
    // first needed.
    struct OpenIdentity {
        bool known = false;
        uint32_t volume = 0;
        uint32_t indexHigh = 0;
        uint32_t indexLow = 0;
    };

    BasicFile file_;
    Sharing sharing_;
    mutable OpenIdentity openIdentity_;
    int openExceptions_ = 0;  // exceptions in flight when opened
};

}  // namespace Velmar
