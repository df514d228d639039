#include "app/DataFileWin.h"

#include <algorithm>

namespace Velmar {

namespace {

// WriteFile takes a 32-bit count; larger texts go in pieces of this size.
constexpr uint64_t kMaxWriteChunk = 1u << 30;

}  // namespace

bool DataFileWin::fail() {
    lastError_ = ::GetLastError();
    return false;
}

bool DataFileWin::open(const std::string& path) {
    file_.reset(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return fail();
    lastError_ = 0;
    return true;
}

bool DataFileWin::seek(uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) return fail();
    lastError_ = 0;
    return true;
}

bool DataFileWin::write(const std::string& bytes) {
    uint64_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<uint64_t>(bytes.size() - done, kMaxWriteChunk));
        DWORD put = 0;
        if (!::WriteFile(file_.get(), bytes.data() + done, chunk, &put, nullptr)) return fail();
        if (put == 0) {
            lastError_ = ERROR_WRITE_FAULT;
            return false;
        }
        done += put;
    }
    lastError_ = 0;
    return true;
}

bool DataFileWin::truncate(uint64_t size) {
    if (!seek(size)) return false;
    if (!::SetEndOfFile(file_.get())) return fail();
    lastError_ = 0;
    return true;
}

bool DataFileWin::close() {
    if (!file_) return true;
    if (!file_.reset()) return fail();
    lastError_ = 0;
    return true;
}

}  // namespace Velmar
