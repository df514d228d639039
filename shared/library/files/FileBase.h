// The abstract file of the suite: a path, open flags, an optional lock file and
// a temporary copy for safe updates. Failures raise FileException.
#pragma once

#include "shared/library/time/TimeSpan.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Velmar {

class LockFile;

class FileBase {
public:
    // Bits of the open flags. 0x08 has no name; it is refused with Read alone.
    enum OpenFlag : uint16_t {
        Read = 0x01,      // open for reading
        Write = 0x02,     // open for writing
        Truncate = 0x04,  // with Read and Write: start empty
        Append = 0x10,    // write at the end; the position starts at the end
        Direct = 0x20,    // write the real file, not a ".tmp" copy
        NoLock = 0x40,    // no lock file (and therefore no ".tmp" copy either)
    };

    // How long a lock claim holds when no other span is given.
    static constexpr int32_t kDefaultLockSeconds = 30;

    // Starts closed, with no lock and the process-wide lock timeout.
    explicit FileBase(const std::string& path);
    virtual ~FileBase();

    FileBase(const FileBase&) = delete;
    FileBase& operator=(const FileBase&) = delete;

    virtual void open(uint16_t flags) = 0;
    virtual void close() = 0;
    virtual void discard() = 0;
    virtual bool readText(std::string& out, uint64_t count) = 0;
    virtual uint64_t readBytes(void* buffer, uint64_t count) = 0;
    virtual bool writeText(const std::string& text) = 0;
    virtual uint64_t writeBytes(const void* data, uint64_t count) = 0;
    virtual void readLine(std::string& line) = 0;
    virtual void writeLine(const std::string& text) = 0;
    virtual void flush() = 0;
    virtual int64_t seek(int64_t offset, int32_t origin) = 0;
    // The position stored by the last open, seek or tell; 0 when closed.
    virtual int64_t tell();
    // The stored end flag.
    virtual bool atEnd();
    // Raises FileException 27 (FL_NOT_PRINTABLE) when the text holds a byte
    // below 32 other than tab, line feed and carriage return.
    virtual void checkPrintable(const std::string& text) const;

    const std::string& path() const { return path_; }
    uint16_t openFlags() const { return openFlags_; }
    bool isClosed() const { return closed_; }
    bool usesTemp() const { return useTemp_; }

    // How long a claim of this file's lock holds; zero means 30 seconds.
    TimeSpan lockTimeout() const;
    void setLockTimeout(const TimeSpan& span) { lockTimeout_ = span; }

    // The span new files start with; zero (the initial value) means 30 seconds.
    static void setDefaultLockTimeout(const TimeSpan& span);

protected:
    std::string path_;
    bool useTemp_ = false;
    uint16_t openFlags_ = 0;
    int64_t position_ = 0;
    bool closed_ = true;
    bool atEnd_ = false;
    std::unique_ptr<LockFile> lock_;
    TimeSpan lockTimeout_;
};

}  // namespace Velmar
