#include "app/DataFileWin.h"

#include "shared/library/common/AnsiText.h"

#include <algorithm>
#include <cstring>

namespace Velmar {

namespace {

// WriteFile takes a 32-bit count; larger texts go in pieces of this size.
constexpr uint64_t kMaxWriteChunk = 1u << 30;
constexpr char kTemporaryPattern[] = "inventory.*.partial";

}  // namespace

bool DataFileWin::fail() {
    lastError_ = ::GetLastError();
    return false;
}

bool DataFileWin::open(const std::string& path) {
    // DELETE: the file is renamed through this handle when it is complete.
    file_.reset(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return fail();
    path_ = path;
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

bool DataFileWin::flush() {
    if (!::FlushFileBuffers(file_.get())) return fail();
    lastError_ = 0;
    return true;
}

RecordFile::Publish DataFileWin::publish(const std::string& path) {
    std::u16string wide;
    if (!fromAnsi(path, wide)) {
        lastError_ = ERROR_NO_UNICODE_TRANSLATION;
        return Publish::kFailed;
    }
    // The structure ends in the name, without its terminating zero.
    const size_t nameBytes = wide.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, wide.data(), nameBytes);
    if (!::SetFileInformationByHandle(file_.get(), FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size()))) {
        fail();
        return lastError_ == ERROR_ALREADY_EXISTS || lastError_ == ERROR_FILE_EXISTS
                   ? Publish::kNameTaken
                   : Publish::kFailed;
    }
    path_ = path;
    lastError_ = 0;
    return Publish::kDone;
}

bool DataFileWin::close() {
    if (!file_) return true;
    if (!file_.reset()) return fail();
    lastError_ = 0;
    return true;
}

bool DataFileWin::discard() {
    close();
    if (path_.empty()) return true;
    if (!::DeleteFileA(path_.c_str())) return fail();
    path_.clear();
    lastError_ = 0;
    return true;
}

std::vector<std::string> DataFileWin::removeTemporaryFiles(const std::string& directory) {
    std::vector<std::string> removed;
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(::FindFirstFileA((directory + kTemporaryPattern).c_str(), &entry));
    if (!find) return removed;
    do {
        // The pattern also matches short names and longer tags; the name decides.
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        if (isTemporaryDataFileName(name) && ::DeleteFileA((directory + name).c_str())) {
            removed.push_back(name);
        }
    } while (::FindNextFileA(find.get(), &entry));
    return removed;
}

}  // namespace Velmar
