#include "shared/library/files/BasicFile.h"

#include <algorithm>
#include <cstring>

namespace Velmar {

namespace {

const char* const kModeTexts[] = {"", "rb", "wb", "ab", "r+b", "w+b", "a+b"};

// 64-bit positions on every platform: the plain fseek/ftell take a long, which
// is 32 bits wide on Windows.
int seek64(std::FILE* stream, int64_t offset, int origin) {
#ifdef _WIN32
    return _fseeki64(stream, offset, origin);
#else
    return fseeko(stream, static_cast<off_t>(offset), origin);
#endif
}

int64_t tell64(std::FILE* stream) {
#ifdef _WIN32
    return _ftelli64(stream);
#else
    return static_cast<int64_t>(ftello(stream));
#endif
}

// fread/fwrite take a size_t, which is 32 bits wide on i686.
constexpr uint64_t kMaxChunk = uint64_t{1} << 30;

}  // namespace

BasicFile::BasicFile() = default;

BasicFile::~BasicFile() {
    if (stream_ != nullptr) std::fclose(stream_);
}

bool BasicFile::open(const std::string& path, int32_t mode) {
    lastError_ = kNoError;
    if (stream_ != nullptr) {
        lastError_ = kAlreadyOpen;
        return false;
    }
    if (mode < kClosed || mode > kAppendUpdate) {
        lastError_ = kModeOutOfRange;
        return false;
    }
    if (mode == kClosed) return true;
    std::FILE* stream = std::fopen(path.c_str(), kModeTexts[mode]);
    if (stream == nullptr) {
        lastError_ = kOpenFailed;
        return false;
    }
    return adopt(stream, path, mode);
}

bool BasicFile::adopt(std::FILE* stream, const std::string& path, int32_t mode) {
    lastError_ = kNoError;
    if (stream_ != nullptr || mode <= kClosed || mode > kAppendUpdate) {
        lastError_ = stream_ != nullptr ? kAlreadyOpen : kModeOutOfRange;
        if (stream != nullptr) std::fclose(stream);
        return false;
    }
    stream_ = stream;
    path_ = path;
    mode_ = mode;
    sizeKnown_ = false;
    lastOp_ = LastOp::kNone;
    dropBuffer();
    return true;
}

int BasicFile::descriptor() const {
    if (stream_ == nullptr) return -1;
#ifdef _WIN32
    return _fileno(stream_);
#else
    return fileno(stream_);
#endif
}

bool BasicFile::close() {
    lastError_ = kNoError;
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return false;
    }
    // Flushed on its own first: not every runtime's fclose reports a failure
    // to write out the buffer.
    const bool flushed = std::fflush(stream_) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    mode_ = kClosed;
    sizeKnown_ = false;
    lastOp_ = LastOp::kNone;
    dropBuffer();
    if (!flushed || !closed) {
        lastError_ = kFlushFailed;
        return false;
    }
    return true;
}

bool BasicFile::canRead() const { return mode_ == kRead || mode_ >= kReadUpdate; }

bool BasicFile::canWrite() const { return mode_ >= kWrite; }

bool BasicFile::prepareRead() {
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return false;
    }
    if (!canRead()) {
        lastError_ = kModeForbids;
        return false;
    }
    if (lastOp_ == LastOp::kWrite) {
        if (std::fflush(stream_) != 0) {
            lastError_ = kFlushFailed;
            return false;
        }
    }
    lastOp_ = LastOp::kRead;
    return true;
}

bool BasicFile::prepareWrite() {
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return false;
    }
    if (!canWrite()) {
        lastError_ = kModeForbids;
        return false;
    }
    // Bytes may still wait in the read buffer after a positioning call (size()
    // returns to the stream's own position, which lies past them).
    if (lastOp_ == LastOp::kRead || next_ != fill_) {
        // The stream stands after the buffered bytes; step back over the ones
        // not handed out yet so that the write lands at the logical position.
        const int64_t unread = static_cast<int64_t>(fill_ - next_);
        dropBuffer();
        if (seek64(stream_, -unread, SEEK_CUR) != 0) {
            lastError_ = kSeekFailed;
            return false;
        }
    }
    lastOp_ = LastOp::kWrite;
    return true;
}

bool BasicFile::refill() {
    dropBuffer();
    fill_ = std::fread(buffer_, 1, kBufferSize, stream_);
    if (fill_ == 0 && std::ferror(stream_)) {
        std::clearerr(stream_);
        lastError_ = kReadFailed;
    }
    return fill_ > 0;
}

uint64_t BasicFile::read(void* buffer, uint64_t count) {
    lastError_ = kNoError;
    if (count == 0) return 0;
    if (!prepareRead()) return 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    uint64_t done = 0;
    while (done < count) {
        if (next_ < fill_) {
            const size_t take =
                static_cast<size_t>(std::min<uint64_t>(fill_ - next_, count - done));
            std::memcpy(out + done, buffer_ + next_, take);
            next_ += take;
            done += take;
            continue;
        }
        const uint64_t remaining = count - done;
        if (remaining >= kBufferSize) {
            // Large reads go straight into the caller's buffer.
            const size_t chunk = static_cast<size_t>(std::min(remaining, kMaxChunk));
            const size_t got = std::fread(out + done, 1, chunk, stream_);
            done += got;
            if (got < chunk) {
                if (std::ferror(stream_)) {
                    std::clearerr(stream_);
                    lastError_ = kReadFailed;
                }
                break;
            }
        } else if (!refill()) {
            break;
        }
    }
    return done;
}

uint64_t BasicFile::write(const void* data, uint64_t count) {
    lastError_ = kNoError;
    if (!prepareWrite()) return 0;
    if (count == 0) return 0;
    sizeKnown_ = false;
    const unsigned char* in = static_cast<const unsigned char*>(data);
    uint64_t done = 0;
    while (done < count) {
        const size_t chunk = static_cast<size_t>(std::min(count - done, kMaxChunk));
        const size_t put = std::fwrite(in + done, 1, chunk, stream_);
        done += put;
        if (put < chunk) {
            std::clearerr(stream_);
            lastError_ = kWriteFailed;
            break;
        }
    }
    return done;
}

bool BasicFile::write(const std::string& text) {
    const uint64_t n = write(text.data(), text.size());
    return lastError_ == kNoError && n == text.size();
}

bool BasicFile::readLine(std::string& line) {
    lastError_ = kNoError;
    line.clear();
    if (!prepareRead()) return false;
    bool gotAny = false;
    for (;;) {
        if (next_ == fill_ && !refill()) break;
        const unsigned char* start = buffer_ + next_;
        const unsigned char* end = buffer_ + fill_;
        const unsigned char* lf =
            static_cast<const unsigned char*>(std::memchr(start, '\n', fill_ - next_));
        const unsigned char* stop = lf != nullptr ? lf : end;
        gotAny = true;
        for (const unsigned char* p = start; p != stop; ++p) {
            if (*p != '\r') line.push_back(static_cast<char>(*p));
        }
        next_ = static_cast<size_t>(stop - buffer_);
        if (lf != nullptr) {
            ++next_;
            return true;
        }
    }
    if (lastError_ != kNoError) {
        line.clear();
        return false;
    }
    return gotAny;
}

bool BasicFile::writeLine(const std::string& text) {
    return write(text) && write(std::string(1, '\n'));
}

bool BasicFile::flush() {
    lastError_ = kNoError;
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return false;
    }
    if (std::fflush(stream_) != 0) {
        lastError_ = kFlushFailed;
        return false;
    }
    return true;
}

bool BasicFile::seek(int64_t offset, int32_t origin) {
    lastError_ = kNoError;
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return false;
    }
    int whence = SEEK_SET;
    switch (origin) {
        case 0: whence = SEEK_SET; break;
        case 1: whence = SEEK_CUR; break;
        case 2: whence = SEEK_END; break;
        default: lastError_ = kOriginOutOfRange; return false;
    }
    if (origin == 1) {
        // Relative to the logical position, which lies before the stream's by
        // the bytes still in the read buffer.
        offset -= static_cast<int64_t>(fill_ - next_);
    }
    dropBuffer();
    lastOp_ = LastOp::kNone;
    if (seek64(stream_, offset, whence) != 0) {
        lastError_ = kSeekFailed;
        return false;
    }
    return true;
}

int64_t BasicFile::tell() {
    lastError_ = kNoError;
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return -1;
    }
    const int64_t pos = tell64(stream_);
    if (pos < 0) {
        lastError_ = kSeekFailed;
        return -1;
    }
    return pos - static_cast<int64_t>(fill_ - next_);
}

int64_t BasicFile::size() {
    lastError_ = kNoError;
    if (stream_ == nullptr) {
        lastError_ = kNotOpen;
        return -1;
    }
    if (sizeKnown_) return size_;
    // Back to the stream's own position afterwards, so that the bytes in the
    // read buffer stay valid.
    const int64_t here = tell64(stream_);
    if (here < 0 || seek64(stream_, 0, SEEK_END) != 0) {
        lastError_ = kSeekFailed;
        return -1;
    }
    const int64_t end = tell64(stream_);
    if (seek64(stream_, here, SEEK_SET) != 0 || end < 0) {
        lastError_ = kSeekFailed;
        return -1;
    }
    lastOp_ = LastOp::kNone;
    size_ = end;
    sizeKnown_ = true;
    return size_;
}

bool BasicFile::atEnd() {
    const int64_t total = size();
    if (total < 0) return true;
    const int64_t pos = tell();
    return pos < 0 || pos >= total;
}

}  // namespace Velmar
