#include "shared/library/logger/LogMessenger.h"

#include "shared/library/common/Exception.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/ParamStream.h"

#include <utility>

namespace Velmar {
namespace {

constexpr size_t kLevelWordWidth = 8;
const char kDebugLevelPrefix[] = "debug-";
const char kInvalidTimeStamp[] = "INVALID TIME STAMP  ";
const char kMessageNotFound[] = "(Message not found.)";
const char kParametersLabel[] = " Parameters: ";
// The place a TimeException is traced to when it becomes a line of its own.
const char kSourceUnit[] = "shared/library/logger/LogMessenger";
constexpr int32_t kSourceLine = 101;

// The parameter values of a stream content: from the second byte on (past the
// first tag), each separator becomes two blanks and the tag after it is skipped.
void appendParameterValues(std::string& out, const std::string& content) {
    for (size_t i = 1; i < content.size(); ++i) {
        const char c = content[i];
        if (c == kParamSeparator || c == kFrameSeparator) {
            out += "  ";
            ++i;
        } else {
            out += c;
        }
    }
}

}  // namespace

LogMessenger::LogMessenger(SmartPointer<LoggerAgent> agent) : agent_(std::move(agent)) {}

LogMessenger::~LogMessenger() = default;

bool LogMessenger::setFile(const std::string& path) {
    return agent_ != nullptr && agent_->setFile(path);
}

bool LogMessenger::send(const std::string& recordText) {
    LogRecord record;
    if (!recordFromText(recordText, record)) return false;
    bool found = false;
    const LogCommons* messages = catalogue();
    if (record.kind == LogRecord::kCatalogue && messages != nullptr) {
        std::string text;
        if (messages->findMessage(record.module, record.messageNumber, text)) {
            substituteParameters(text, record.text);
            record.text.swap(text);
            found = true;
        }
    }
    try {
        const std::string line = formatLogLine(record, found);
        return agent_ != nullptr && agent_->write(line);
    } catch (TimeException& e) {
        e.addTrace(kSourceUnit, kSourceLine);
        return agent_ != nullptr && agent_->write(e.text());
    }
}

std::string LogMessenger::formatLogLine(const LogRecord& record, bool found) {
    std::string line;
    line.reserve(64 + record.text.size());
    if (record.kind == LogRecord::kDebug) {
        line = kDebugLevelPrefix + std::to_string(record.debugLevel);
    } else {
        line = severityName(record.severity);
    }
    if (line.size() < kLevelWordWidth) line.append(kLevelWordWidth - line.size(), ' ');
    line += ' ';
    try {
        line += record.time.localText(false);
        line += ' ';
    } catch (const TimeException&) {
        line += kInvalidTimeStamp;
    }
    line += messageId(record.application, record.module, record.messageNumber);
    line += ' ';
    line += std::to_string(record.threadId);
    line += ": ";
    if (record.kind == LogRecord::kDebug || found) {
        line += record.text;
    } else {
        line += kMessageNotFound;
        if (!record.text.empty()) {
            line += kParametersLabel;
            appendParameterValues(line, record.text);
        }
    }
    return line;
}

}  // namespace Velmar
