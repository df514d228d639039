#include "shared/library/files/FilePlain.h"

#include "shared/library/time/DateTime.h"
#include "shared/library/common/Exception.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/LockFile.h"
#include "shared/library/common/WinHandle.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <new>
#include <thread>

namespace Velmar {

namespace {

// Has no name among the flags, and is refused with Read alone.
constexpr uint16_t kUnnamedFlag = 0x08;

constexpr int kRenameTries = 10;
constexpr int32_t kRenamePauseSeconds = 2;

// readText grows its string by this much at a time, so that a huge count on a
// small file does not allocate the count.
constexpr uint64_t kReadChunk = 64 * 1024;

const char* const kModeTexts[] = {"", "rb", "wb", "ab", "r+b", "w+b", "a+b"};

// What the stream functions ask of the system for each BasicFile mode.
struct SystemMode {
    DWORD access;
    DWORD disposition;
    int runtimeFlags;
};
const SystemMode kSystemModes[] = {
    {0, 0, 0},
    {GENERIC_READ, OPEN_EXISTING, _O_RDONLY},
    {GENERIC_WRITE, CREATE_ALWAYS, _O_WRONLY},
    {GENERIC_WRITE, OPEN_ALWAYS, _O_WRONLY | _O_APPEND},
    {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, _O_RDWR},
    {GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, _O_RDWR},
    {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, _O_RDWR | _O_APPEND},
};

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

bool identityOf(HANDLE handle, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.indexHigh = info.nFileIndexHigh;
    identity.indexLow = info.nFileIndexLow;
    return true;
}

// Waits until the clock's whole seconds have advanced by `seconds`.
void pauseWholeSeconds(int32_t seconds) {
    const int32_t until = DateTime().getSeconds() + seconds;
    while (DateTime().getSeconds() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

FilePlain::FilePlain(const std::string& path, Sharing sharing)
    : FileBase(path), sharing_(sharing) {}

FilePlain::~FilePlain() {
    if (closed_) return;
    try {
        if (std::uncaught_exceptions() > openExceptions_) {
            discard();
        } else {
            close();
        }
    } catch (...) {
        // A destructor reports nothing; the ".tmp" copy stays when the move failed.
    }
}

// Undoes what the steps of an open have done when one of them throws: what
// the open made is removed, then the claim is dropped.
class FilePlain::OpenUndo {
public:
    explicit OpenUndo(FilePlain& file) : file_(file) {}
    ~OpenUndo() {
        if (!armed_) return;
        file_.removeWhatOpenMade();
        // A lock file that cannot be removed expires; the failed open is
        // what the caller must hear of.
        file_.lock_.reset();
    }
    OpenUndo(const OpenUndo&) = delete;
    OpenUndo& operator=(const OpenUndo&) = delete;
    void dismiss() { armed_ = false; }

private:
    FilePlain& file_;
    bool armed_ = true;
};

void FilePlain::open(uint16_t flags) {
    if (!closed_) VELMAR_THROW(FileException, FileException::FL_IS_OPEN, "");
    if (refusedCombination(flags)) {
        VELMAR_THROW(FileException, FileException::FL_ACCESS_COMB, "");
    }
    const bool write = (flags & Write) != 0;
    if (!write && !pathExists(path_)) {
        VELMAR_THROW(FileException, FileException::FL_EXISTS_NOT,
                     path_ + "-->File does not exist.");
    }

    useTemp_ = false;
    OpenUndo undo(*this);
    if (write && (flags & NoLock) == 0) {
        const bool direct = (flags & Direct) != 0;
        claim(direct);
        if (!direct) makeCopy(flags);
    }
    openStream(useTemp_ ? tempPath() : path_, modeFor(flags));
    undo.dismiss();

    closed_ = false;
    openFlags_ = flags;
    openIdentity_ = OpenIdentity();
    atEnd_ = false;
    openExceptions_ = std::uncaught_exceptions();
    position_ = 0;
    if ((flags & Append) != 0 && file_.seek(0, 2)) position_ = std::max<int64_t>(file_.tell(), 0);
}

bool FilePlain::refusedCombination(uint16_t flags) {
    const bool read = (flags & Read) != 0;
    const bool write = (flags & Write) != 0;
    if (!read && !write) return true;
    if ((flags & Truncate) != 0 && (flags & Append) != 0) return true;
    return read && !write && (flags & (Truncate | kUnnamedFlag | Append)) != 0;
}

int32_t FilePlain::modeFor(uint16_t flags) {
    const bool read = (flags & Read) != 0;
    if ((flags & Write) == 0) return BasicFile::kRead;
    if ((flags & Append) != 0) return read ? BasicFile::kAppendUpdate : BasicFile::kAppend;
    if (!read) return BasicFile::kWrite;
    return (flags & Truncate) != 0 ? BasicFile::kWriteUpdate : BasicFile::kReadUpdate;
}

void FilePlain::claim(bool direct) {
    std::unique_ptr<LockFile> lock;
    try {
        lock = std::make_unique<LockFile>(path_);
    } catch (const std::bad_alloc&) {
        VELMAR_THROW(FileException, FileException::FL_MEM, "");
    }
    // The claim comes first: the copy must be made of a file that no other
    // writer of the suite can replace meanwhile.
    switch (lock->claim(lockTimeout(), !direct)) {
        case LockFile::ClaimResult::kClaimed: lock_ = std::move(lock); return;
        case LockFile::ClaimResult::kHeldByOther:
            VELMAR_THROW(FileException, FileException::FL_IS_LOCKED, "");
        case LockFile::ClaimResult::kFailed:
            VELMAR_THROW(FileException, FileException::FL_CANNOT_LOCK,
                         lock->lockPath() + " (#" + std::to_string(lock->systemError()) + ")");
    }
}

void FilePlain::makeCopy(uint16_t flags) {
    useTemp_ = true;
    if (pathExists(path_)) {
        // The copy only matters when the old content is kept: then a failed
        // copy would replace the file by a part of it on close.
        const bool keepsContent =
            (flags & Append) != 0 || ((flags & Read) != 0 && (flags & Truncate) == 0);
        if (!copyFile(path_, tempPath(), true) && keepsContent) {
            VELMAR_THROW(FileException, FileException::FL_CANNOT_COPY, path_);
        }
    } else if (pathExists(tempPath())) {
        // A copy left by an earlier run must not become the start of a file
        // that does not exist.
        deleteFile(tempPath());
    }
    // Held only after the copy, so that the copy never reads a file that this
    // process holds open for writing.
    if (!lock_->holdGuarded()) VELMAR_THROW(FileException, FileException::FL_CANNOT_LOCK, "");
}

void FilePlain::openStream(const std::string& target, int32_t mode) {
    int32_t error = BasicFile::kNoError;
    if (sharing_ == Sharing::kAll) {
        error = openSharedStream(target, mode);
    } else if (!file_.open(target, mode)) {
        error = file_.lastError();
    }
    if (error != BasicFile::kNoError) {
        VELMAR_THROW(FileException, FileException::FL_CANNOT_OPEN,
                     path_ + " (#" + std::to_string(error) + ")");
    }
}

int32_t FilePlain::openSharedStream(const std::string& target, int32_t mode) {
    // FilePlain::open chooses modes 1 to 6 only.
    const SystemMode& system = kSystemModes[mode];
    UniqueFileHandle handle(::CreateFileA(
        target.c_str(), system.access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, system.disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return BasicFile::kOpenFailed;
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()),
                                             system.runtimeFlags | _O_BINARY);
    if (descriptor == -1) return BasicFile::kOpenFailed;
    handle.release();  // the descriptor owns it now
    std::FILE* stream = ::_fdopen(descriptor, kModeTexts[mode]);
    if (stream == nullptr) {
        ::_close(descriptor);
        return BasicFile::kOpenFailed;
    }
    return file_.adopt(stream, target, mode) ? BasicFile::kNoError : file_.lastError();
}

bool FilePlain::pathNamesOpenFile() const {
    if (closed_) return false;
    const int descriptor = file_.descriptor();
    if (descriptor == -1) return false;
    const HANDLE open = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    WIN32_FILE_ATTRIBUTE_DATA named;
    if (!::GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &named)) return false;
    // The cheap test first: the file under the path shows the open file's size
    // and times. Asking for the file index of a path means opening it, which
    // some systems make cost many times a whole log line.
    FILE_BASIC_INFO basic;
    LARGE_INTEGER size;
    if (::GetFileInformationByHandleEx(open, FileBasicInfo, &basic, sizeof(basic)) &&
        ::GetFileSizeEx(open, &size) &&
        static_cast<DWORD>(size.QuadPart >> 32) == named.nFileSizeHigh &&
        static_cast<DWORD>(size.QuadPart) == named.nFileSizeLow &&
        basic.LastWriteTime.LowPart == named.ftLastWriteTime.dwLowDateTime &&
        static_cast<DWORD>(basic.LastWriteTime.HighPart) == named.ftLastWriteTime.dwHighDateTime &&
        basic.CreationTime.LowPart == named.ftCreationTime.dwLowDateTime &&
        static_cast<DWORD>(basic.CreationTime.HighPart) == named.ftCreationTime.dwHighDateTime) {
        return true;
    }
    // They differ: the volume serial number and the file index decide.
    if (!openIdentity_.known) {
        FileIdentity identity;
        if (!identityOf(open, identity)) return false;
        openIdentity_ = {true, identity.volume, identity.indexHigh, identity.indexLow};
    }
    // Attributes only: the file may be held by writers that share nothing.
    UniqueFileHandle current(::CreateFileA(
        path_.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FileIdentity identity;
    if (!current || !identityOf(current.get(), identity)) return false;
    return openIdentity_.volume == identity.volume &&
           openIdentity_.indexHigh == identity.indexHigh &&
           openIdentity_.indexLow == identity.indexLow;
}

void FilePlain::removeWhatOpenMade() {
    file_.close();
    // Removed while the claim still keeps other writers out. A real file that
    // was missing at the claim was made by the open: by the hold, or by the
    // stream of a direct write.
    const bool existed = lock_ ? lock_->existedAtStart() : true;
    if (lock_) lock_->releaseGuarded();
    if (!existed) deleteFile(path_);
    if (useTemp_ && pathExists(tempPath())) deleteFile(tempPath());
    useTemp_ = false;
}

void FilePlain::abandon() {
    removeWhatOpenMade();
    closed_ = true;
    openFlags_ = 0;
    position_ = 0;
    releaseLock();
}

void FilePlain::releaseLock() {
    if (!lock_) return;
    const bool released = lock_->unlock();
    const std::string lockPath = lock_->lockPath();
    const uint32_t error = lock_->systemError();
    lock_.reset();
    if (!released) {
        VELMAR_THROW(FileException, FileException::FL_CANNOT_UNLOCK,
                     lockPath + " (#" + std::to_string(error) + ")");
    }
}

void FilePlain::close() {
    if (closed_) return;
    if (!file_.close() && file_.lastError() == BasicFile::kFlushFailed) {
        // Data that never reached the copy must not replace the real file.
        abandon();
        VELMAR_THROW(FileException, FileException::FL_CANNOT_CLOSE, path_);
    }
    closed_ = true;
    openFlags_ = 0;
    position_ = 0;
    // The copy replaces the real file before the claim is released: a writer
    // that came in between would otherwise copy the old content and put it
    // back over this update. The hold must go first, or the real file could
    // not be replaced.
    bool moved = true;
    if (useTemp_) {
        if (lock_) lock_->releaseGuarded();
        moved = moveTempOverReal();
    }
    if (!moved) {
        try {
            releaseLock();
        } catch (const FileException&) {
            // The failed update is what the caller must hear of.
        }
        VELMAR_THROW(FileException, FileException::FL_RENAME,
                     "Failed to update the file \"" + path_ + "\"");
    }
    releaseLock();
}

bool FilePlain::moveTempOverReal() {
    for (int attempt = 1; attempt <= kRenameTries; ++attempt) {
        if (moveFile(tempPath(), path_, true)) {
            useTemp_ = false;
            return true;
        }
        if (attempt < kRenameTries) pauseWholeSeconds(kRenamePauseSeconds);
    }
    return false;
}

void FilePlain::discard() {
    if (closed_) return;
    abandon();
}

void FilePlain::requireOpen() const {
    if (closed_) VELMAR_THROW(FileException, FileException::FL_IS_CLOSED, "");
}

void FilePlain::requireReadable() const {
    requireOpen();
    if ((openFlags_ & Read) == 0) VELMAR_THROW(FileException, FileException::FL_CANNOT_READ, "");
}

void FilePlain::raiseWriteFailure(uint32_t code) const {
    VELMAR_THROW(FileException, code,
                 " - Access: " + std::to_string(openFlags_) +
                     " - BFile error: " + std::to_string(file_.lastError()));
}

// A closed file or one not open for reading shows as a failed read (code 10),
// as in readBytes; only readLine has codes of its own for them.
bool FilePlain::readText(std::string& out, uint64_t count) {
    out.clear();
    while (out.size() < count) {
        const uint64_t want = std::min(count - out.size(), kReadChunk);
        const size_t before = out.size();
        out.resize(before + static_cast<size_t>(want));
        const uint64_t got = file_.read(&out[before], want);
        out.resize(before + static_cast<size_t>(got));
        if (file_.lastError() != BasicFile::kNoError) {
            VELMAR_THROW(FileException, FileException::FL_READ, "");
        }
        if (got < want) break;
    }
    return out.size() == count;
}

uint64_t FilePlain::readBytes(void* buffer, uint64_t count) {
    requireOpen();
    if (count == 0) return 0;
    const uint64_t got = file_.read(buffer, count);
    if (file_.lastError() != BasicFile::kNoError) {
        VELMAR_THROW(FileException, FileException::FL_READ, "");
    }
    if (got == 0) VELMAR_THROW(FileException, FileException::FL_EOF, "");
    return got;
}

bool FilePlain::writeText(const std::string& text) {
    if (!file_.write(text)) raiseWriteFailure(FileException::FL_WRITE);
    return true;
}

uint64_t FilePlain::writeBytes(const void* data, uint64_t count) {
    requireOpen();
    if ((openFlags_ & Write) == 0) {
        VELMAR_THROW(FileException, FileException::FL_CANNOT_WRITE, "");
    }
    const uint64_t put = file_.write(data, count);
    if (file_.lastError() != BasicFile::kNoError) raiseWriteFailure(FileException::FL_WRITE);
    return put;
}

void FilePlain::readLine(std::string& line) {
    requireReadable();
    if (file_.readLine(line)) return;
    if (file_.lastError() != BasicFile::kNoError) {
        VELMAR_THROW(FileException, FileException::FL_READ, "");
    }
    VELMAR_THROW(FileException, FileException::FL_EOF, "");
}

void FilePlain::writeLine(const std::string& text) {
    if (!file_.writeLine(text)) raiseWriteFailure(FileException::FL_WRITE);
}

void FilePlain::flush() {
    requireOpen();
    if ((openFlags_ & Write) == 0) {
        VELMAR_THROW(FileException, FileException::FL_CANNOT_WRITE, "");
    }
    if (!file_.flush()) VELMAR_THROW(FileException, FileException::FL_FLUSH, "");
}

int64_t FilePlain::seek(int64_t offset, int32_t origin) {
    requireOpen();
    const int64_t pos = file_.seek(offset, origin) ? file_.tell() : -1;
    if (pos < 0) VELMAR_THROW(FileException, FileException::FL_POSITION, "");
    position_ = pos;
    return position_;
}

int64_t FilePlain::tell() {
    if (closed_) return position_;
    const int64_t pos = file_.tell();
    if (pos >= 0) position_ = pos;
    return position_;
}

bool FilePlain::atEnd() {
    if (closed_ || (openFlags_ & Read) == 0) {
        atEnd_ = true;
    } else {
        atEnd_ = file_.atEnd();
    }
    return atEnd_;
}

}  // namespace Velmar
