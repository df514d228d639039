// Support for the tests of the log file agent and the mailslot transport: log
// texts with their clock readings masked, a listing of a directory's files,
// and the reading end of a mailslot made with the raw API.
#pragma once

#include "shared/library/common/WinHandle.h"

#include <string>
#include <vector>

namespace Velmar {
namespace testing {

// The text with every local time "YYYY-MM-DDTHH:MM:SS" replaced by "<time>",
// every zone text "+hh:mm (...)" by "<zone>" and every compact opening time
// "_YYYYMMDDTHHMMSS_" by "_<opened>_", so that a whole log file can be
// compared with a literal text.
std::string maskLogTimes(const std::string& text);

// The agent's notes as maskLogTimes shows them: the open note, a close note
// with its reason, and the rotation notes from the condition up to the close
// of the rotated file (`rotated` is masked here).
std::string openNoteMasked(const std::string& path);
std::string closeNoteMasked(const std::string& path, const std::string& reason);
std::string rotationMasked(const std::string& reasons, const std::string& path,
                           const std::string& rotated);

// The names of the files (not directories) in `dir` (with its trailing
// separator), sorted.
std::vector<std::string> fileNames(const std::string& dir);

// A mailslot "\\.\mailslot\<prefix>-<pid>-<n>" that this process reads; the
// name is unique per run. Messages longer than kMaxMessage are not expected.
// std::runtime_error when the slot cannot be made (another process holds it).
class MailslotReader {
public:
    static constexpr DWORD kMaxMessage = 64 * 1024;

    explicit MailslotReader(const std::string& prefix);
    // The mailslot "\\.\mailslot\<name>" itself, for a name that the code
    // under test fixes (the core service's).
    struct ExactName {};
    MailslotReader(ExactName, const std::string& name);
    // The name without the "\\.\mailslot\" part.
    const std::string& name() const { return name_; }
    // Every message waiting now, in the order sent, each with all its bytes.
    std::vector<std::string> readAll();

private:
    std::string name_;
    UniqueFileHandle slot_;
};

}  // namespace testing
}  // namespace Velmar
