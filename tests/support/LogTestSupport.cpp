#include "tests/support/LogTestSupport.h"

#include <algorithm>
#include <atomic>
#include <regex>
#include <stdexcept>

namespace Velmar {
namespace testing {

std::string maskLogTimes(const std::string& text) {
    static const std::regex zone(R"([+-]\d\d:\d\d \([^)]*\))");
    static const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)");
    static const std::regex opened(R"(_\d{8}T\d{6}_)");
    std::string masked = std::regex_replace(text, zone, "<zone>");
    masked = std::regex_replace(masked, time, "<time>");
    return std::regex_replace(masked, opened, "_<opened>_");
}

std::string openNoteMasked(const std::string& path) {
    return "\r\nVelmar VERSION(6.5.0.0) REVISION(24657)\r\nOpened log file \"" + path +
           "\". Time: <time> <zone>\r\n\r\n";
}

std::string closeNoteMasked(const std::string& path, const std::string& reason) {
    return "\r\nClosing log file \"" + path + "\". Time: <time>. Reason: " + reason + ".\r\n\r\n";
}

std::string rotationMasked(const std::string& reasons, const std::string& path,
                           const std::string& rotated) {
    return "\nRotate condition(s):" + reasons + "\r\n\nRotation process started...\r\n" +
           "Renaming file from \"" + path + "\" to \"" + maskLogTimes(rotated) + "\".\r\n" +
           closeNoteMasked(path, "Rotating log file");
}

std::vector<std::string> fileNames(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    UniqueFindHandle find(::FindFirstFileA((dir + "*").c_str(), &data));
    if (!find) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(data.cFileName);
        }
    } while (::FindNextFileA(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string uniqueName(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
}

}  // namespace

MailslotReader::MailslotReader(const std::string& prefix)
    : MailslotReader(ExactName{}, uniqueName(prefix)) {}

MailslotReader::MailslotReader(ExactName, const std::string& name) : name_(name) {
    slot_.reset(::CreateMailslotA(("\\\\.\\mailslot\\" + name_).c_str(), kMaxMessage, 0, nullptr));
    if (!slot_) throw std::runtime_error("CreateMailslotA failed for " + name_);
}

std::vector<std::string> MailslotReader::readAll() {
    std::vector<std::string> messages;
    for (;;) {
        DWORD next = 0;
        DWORD waiting = 0;
        if (!::GetMailslotInfo(slot_.get(), nullptr, &next, &waiting, nullptr)) {
            throw std::runtime_error("GetMailslotInfo failed");
        }
        if (next == MAILSLOT_NO_MESSAGE) return messages;
        // Wine drops what does not fit, so the buffer is larger than any message.
        std::string buffer(kMaxMessage, '\0');
        DWORD read = 0;
        if (!::ReadFile(slot_.get(), &buffer[0], kMaxMessage, &read, nullptr)) {
            throw std::runtime_error("ReadFile on the mailslot failed");
        }
        buffer.resize(read);
        messages.push_back(buffer);
    }
}

}  // namespace testing
}  // namespace Velmar
