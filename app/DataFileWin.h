// The inventory data file over the Windows API: a temporary file written
// unbuffered and unchanged, without a lock file, held without delete sharing
// (so that another run's removal of abandoned files leaves it alone), put on
// the disk and renamed through its own handle.
#pragma once

#include "app/InventoryWriter.h"
#include "shared/library/common/WinHandle.h"

namespace Velmar {

class DataFileWin : public RecordFile {
public:
    // CreateFileA with CREATE_ALWAYS, shared for reading only. A file held
    // before is closed first.
    bool open(const std::string& path) override;
    bool seek(uint64_t position) override;
    bool write(const std::string& bytes) override;
    // FlushFileBuffers.
    bool flush() override;
    // SetFileInformationByHandle (FileRenameInfo) without replacing.
    Publish publish(const std::string& path) override;
    bool close() override;
    bool discard() override;
    // FindFirstFileA over the directory; DeleteFileA of every temporary data
    // file (a file that another process holds open stays).
    std::vector<std::string> removeTemporaryFiles(const std::string& directory) override;

    // Windows error of the last failed call; 0 after a success.
    DWORD lastError() const { return lastError_; }

private:
    bool fail();

    UniqueFileHandle file_;
    std::string path_;  // the file's name since it was opened or renamed
    DWORD lastError_ = 0;
};

}  // namespace Velmar
