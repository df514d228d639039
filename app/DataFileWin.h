// The inventory data file over the Windows API: created or emptied, written
// unbuffered and unchanged, without a lock file or a temporary copy, so that
// a write reported done is in the file and a failed one can be undone by
// going back and cutting.
#pragma once

#include "app/InventoryWriter.h"
#include "shared/library/common/WinHandle.h"

namespace Velmar {

class DataFileWin : public RecordFile {
public:
    // CreateFileA with CREATE_ALWAYS, shared for reading. A file held before is
    // closed first.
    bool open(const std::string& path) override;
    bool seek(uint64_t position) override;
    bool write(const std::string& bytes) override;
    bool truncate(uint64_t size) override;
    bool close() override;

    // Windows error of the last failed call; 0 after a success.
    DWORD lastError() const { return lastError_; }

private:
    bool fail();

    UniqueFileHandle file_;
    DWORD lastError_ = 0;
};

}  // namespace Velmar
