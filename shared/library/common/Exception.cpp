#include "shared/library/common/Exception.h"

#include <iterator>

namespace Velmar {

namespace {

constexpr ExceptionCodeInfo kNoRow = {"", ""};

template <size_t N>
ExceptionCodeInfo lookup(const ExceptionCodeInfo (&table)[N], uint32_t code) {
    if (code >= N || table[code].name == nullptr) return kNoRow;
    return table[code];
}

const ExceptionCodeInfo kConfigCodes[] = {
    {"CF_MEM", "Out of memory."},
    {"CF_CONF", "Error in conf file."},
    {"CF_CANNOT_UNCOMPRESS", "Unable to decompress buffer."},
};

const ExceptionCodeInfo kTimeCodes[] = {
    {"TM_NONE", "No exception!"},
    {"TM_DAYS", "Days out of range: (0 - 24,855)."},
    {"TM_HOURS", "Hours out of range: (0-23)."},
    {"TM_MINUTES", "Minutes out of range: (0-59)."},
    {"TM_SECONDS", "Seconds out of range: (0-59)."},
    {"TM_YEAR", "Year out of range: (1970 - 2037)."},
    {"TM_MONTH", "Month out of range: (1 - 12)."},
    {"TM_DAY", "Day out of range: (1 - days of the month in question)."},
    {"TM_DATETIME", "Illegal date and/or time."},
    {"TM_ANCIENT", "Illegal date/time. Cannot have date before 01.01.1970 0:00:00!"},
    {"TM_INPUT", "Illegal input format."},
};

const ExceptionCodeInfo kFileCodes[] = {
    {"FL_NONE", "No exception!"},
    {"FL_MEM", "Insufficient memory available."},
    {"FL_EXISTS_NOT", "File does not exist."},
    {"FL_EXISTS", "File already exists."},
    {"FL_IS_OPEN", "File is open."},
    {"FL_CANNOT_OPEN", "File cannot be opened."},
    {"FL_IS_CLOSED", "File is closed."},
    {"FL_CANNOT_CLOSE", "Unable to close file."},
    {"FL_ACCESS_COMB", "Illegal combination of access flaggs."},
    {"FL_CANNOT_READ", "File is not opened for reading."},
    {"FL_READ", "Unable to read."},
    {"FL_CANNOT_WRITE", "File is not opened for writing."},
    {"FL_WRITE", "Unable to write."},
    {"FL_FLUSH", "Unable to flush buffer."},
    {"FL_EOF", "End of file."},
    {"FL_POSITION", "Illegal position."},
    {"FL_CANNOT_UNLOCK", "Unable to unlock file."},
    {"FL_CANNOT_LOCK", "Unable to lock file."},
    {"FL_IS_LOCKED", "Someone else has locked the file."},
    {"FL_CANNOT_COPY", "Unable to copy file."},
    {"FL_RENAME", "Failed to rename."},
    {"FL_REMOVE", "Failed to remove."},
    {"FL_CREATE_DIR", "Failed to create directory."},
    {"FL_GET_DIR", "Failed to get current directory."},
    {"FL_NO_DIR", "Not a directory."},
    {"FL_SPACE", "Unable to obtain free disk space."},
    {"FL_ACCESS", "Unable to access file."},
    {nullptr, nullptr},  // 27: no row
    {"FL_ERROR", "An error occured. (No changes made.)"},
};

const ExceptionCodeInfo kIpcCodes[] = {
    {"IC_NONE", "No exception!"},
    {"IC_NO_MESSAGE_FILE", "Cannot find message file for IPC."},
    {"IC_CANNOT_CREATE_COMM", "Unable to create communication channel."},
    {"IC_NOT_SENDER", "Receiver cannot send."},
    {"IC_NOT_RECEIVER", "Sender cannot receive."},
    {"IC_CANNOT_SEND", "Unable to send message."},
    {"IC_CANNOT_RECEIVE", "Unable to receive messages."},
    {"IC_MEM", "Out of memory."},
};

}  // namespace

Exception::Exception(uint32_t code) : code_(code) {}

Exception::Exception(uint32_t code, std::string message, const std::string& sourcePath,
                     int32_t line)
    : code_(code), message_(std::move(message)) {
    addTrace(sourcePath, line);
}

Exception::~Exception() = default;

void Exception::addTrace(const std::string& sourcePath, int32_t line) {
    if (sourcePath.empty()) return;
    std::string unit = sourcePath;
    const size_t sep = unit.find_last_of("\\/");
    if (sep != std::string::npos) unit.erase(0, sep + 1);
    const size_t dot = unit.rfind('.');
    if (dot != std::string::npos) unit.erase(dot);
    trace_.push_back({unit, line});
}

ExceptionCodeInfo Exception::codeInfo() const { return kNoRow; }

std::string Exception::renderText(const char* familyName) const {
    const ExceptionCodeInfo info = codeInfo();
    std::string out = familyName;
    out += ": ";
    out += *info.message ? info.message : "Unknown error";
    out += " (Code: ";
    out += std::to_string(family());
    out += '.';
    out += std::to_string(code_);
    out += ')';
    return out;
}

std::string Exception::text() const { return renderText("Exception"); }
uint32_t Exception::family() const { return 63; }

std::string Exception::details() const {
    std::string out = text();
    if (!message_.empty()) {
        out += "\r\n  >  (";
        out += message_;
        out += ')';
    }
    if (!trace_.empty()) {
        out += "\r\n  >  ";
        for (size_t i = 0; i < trace_.size(); ++i) {
            if (i > 0) out += " - ";
            out += trace_[i].unit;
            out += '(';
            out += std::to_string(trace_[i].line);
            out += ')';
        }
    }
    return out;
}

std::string ConfigException::text() const { return renderText("Configuration"); }
uint32_t ConfigException::family() const { return 1; }
ExceptionCodeInfo ConfigException::codeInfo() const { return lookup(kConfigCodes, code()); }

std::string TimeException::text() const { return renderText("Time"); }
uint32_t TimeException::family() const { return 4; }
ExceptionCodeInfo TimeException::codeInfo() const { return lookup(kTimeCodes, code()); }

std::string FileException::text() const { return renderText("File"); }
uint32_t FileException::family() const { return 60; }
ExceptionCodeInfo FileException::codeInfo() const { return lookup(kFileCodes, code()); }

std::string IPCException::text() const { return renderText("IPC"); }
uint32_t IPCException::family() const { return 4; }
ExceptionCodeInfo IPCException::codeInfo() const { return lookup(kIpcCodes, code()); }

}  // namespace Velmar
