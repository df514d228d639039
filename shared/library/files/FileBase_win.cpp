#include "shared/library/files/FileBase.h"

#include "shared/library/common/Exception.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/files/LockFile.h"

#include <atomic>

namespace Velmar {

namespace {

// Process-wide; set during start-up.
std::atomic<int32_t> defaultLockSeconds{0};

}  // namespace

FileBase::FileBase(const std::string& path)
    : path_(path), lockTimeout_(defaultLockSeconds.load()) {}

FileBase::~FileBase() = default;

int64_t FileBase::tell() { return position_; }

bool FileBase::atEnd() { return atEnd_; }

void FileBase::checkPrintable(const std::string& text) const {
    if (!isPrintableText(text)) VELMAR_THROW(FileException, FileException::FL_NOT_PRINTABLE, "");
}

TimeSpan FileBase::lockTimeout() const {
    return TimeSpan(lockTimeout_.isZero() ? kDefaultLockSeconds : lockTimeout_.getSeconds());
}

void FileBase::setDefaultLockTimeout(const TimeSpan& span) {
    defaultLockSeconds.store(span.getSeconds());
}

}  // namespace Velmar
