// A buffered, byte-oriented file over the C standard streams. It never throws:
// every operation reports through its result and lastError().
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace Velmar {

class BasicFile {
public:
    // The six stream modes; 0 is "closed".
    enum Mode : int32_t {
        kClosed = 0,
        kRead = 1,          // "rb"
        kWrite = 2,         // "wb"
        kAppend = 3,        // "ab"
        kReadUpdate = 4,    // "r+b"
        kWriteUpdate = 5,   // "w+b"
        kAppendUpdate = 6,  // "a+b"
    };

    // Numbers kept in lastError(). 9 to 11 are not used by the other layers of
    // the suite; 9 marks a failed write of the stream.
    enum Error : int32_t {
        kNoError = 0,
        kNotOpen = 1,
        kAlreadyOpen = 2,
        kModeOutOfRange = 3,
        kOpenFailed = 4,
        kOriginOutOfRange = 5,
        kModeForbids = 6,
        kReadFailed = 7,
        kFlushFailed = 8,
        kWriteFailed = 9,
        kSeekFailed = 12,
    };

    static constexpr size_t kBufferSize = 1024;

    BasicFile();
    virtual ~BasicFile();  // closes an open stream
    BasicFile(const BasicFile&) = delete;
    BasicFile& operator=(const BasicFile&) = delete;

    // Every operation first sets lastError() to 0, then to the number of its
    // failure, so after a call it tells why that call failed.
    int32_t lastError() const { return lastError_; }
    bool isOpen() const { return stream_ != nullptr; }
    int32_t mode() const { return mode_; }
    const std::string& path() const { return path_; }

    // Opens the path in the mode (1 to 6). Mode 0 succeeds and opens nothing.
    // False with 2 when already open, 3 for a mode out of range, 4 when the
    // stream cannot be opened.
    bool open(const std::string& path, int32_t mode);

    // Takes over a stream that the caller opened on `path` in `mode` (1 to 6),
    // as open would have made it: for files that need more than the stream
    // functions can ask of the system. False with 2 when already open, 3 for a
    // mode out of range; the stream is closed then.
    bool adopt(std::FILE* stream, const std::string& path, int32_t mode);

    // The runtime's descriptor of the open stream; -1 when not open.
    int descriptor() const;

    // Closes the stream. False with 1 when not open, 8 when buffered data could
    // not be written (the stream is closed all the same).
    bool close();

    // Reads up to `count` bytes; returns how many were read. Fewer than asked
    // means the end of the file (lastError 0) or a failure (1, 6 or 7).
    uint64_t read(void* buffer, uint64_t count);

    // Writes `count` bytes; returns how many were written. Fewer than asked
    // means a failure (1, 6 or 9).
    uint64_t write(const void* data, uint64_t count);
    bool write(const std::string& text);

    // Reads the bytes up to the next line feed (not included) into `line`,
    // dropping every carriage return. At the end of the file the bytes read so
    // far are the line. False with `line` empty when nothing was left (lastError
    // 0) or on failure (1, 6, or 7 for a stream error).
    bool readLine(std::string& line);

    // Writes the text and one line feed (no carriage return).
    bool writeLine(const std::string& text);

    // False with 1 when not open, 8 when the stream cannot be flushed.
    bool flush();

    // Origin 0 start, 1 current position, 2 end. False with 1 when not open,
    // 5 for an origin out of range, 12 when the stream cannot be positioned.
    bool seek(int64_t offset, int32_t origin);

    // The position of the next byte read or written; -1 on failure (1 or 12).
    int64_t tell();

    // The size of the file, taken by seeking to its end and back, then kept
    // until the next write; -1 on failure (1 or 12).
    int64_t size();

    // Whether the position has reached the size (true on failure).
    bool atEnd();

private:
    enum class LastOp { kNone, kRead, kWrite };

    bool canRead() const;
    bool canWrite() const;
    // The stream functions require a positioning call between reading and
    // writing; these also give back bytes held in the read buffer.
    bool prepareRead();
    bool prepareWrite();
    void dropBuffer() {
        fill_ = 0;
        next_ = 0;
    }
    // Refills the read buffer; false at the end of the file or on failure.
    bool refill();

    std::string path_;
    int32_t mode_ = kClosed;
    std::FILE* stream_ = nullptr;
    int64_t size_ = 0;
    bool sizeKnown_ = false;
    int32_t lastError_ = kNoError;
    LastOp lastOp_ = LastOp::kNone;
    unsigned char buffer_[kBufferSize];
    size_t fill_ = 0;  // bytes in buffer_
    size_t next_ = 0;  // next byte of buffer_ to hand out
};

}  // namespace Velmar
