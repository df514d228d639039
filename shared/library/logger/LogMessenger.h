// Between the logger centre and the log agent: reads a record text back, fills
// catalogue messages in from the registered catalogue, composes the log line
// and gives it to the agent.
//
// Log line (no line end; the agent adds it):
//   level word padded with blanks to 8, " ", local time "YYYY-MM-DDTHH:MM:SS",
//   " ", messageId, " ", thread id, ": ", body
// The level word is the severity name, or "debug-<level>". The body of a
// catalogue message missing from the catalogue is "(Message not found.)",
// followed, when it has parameters, by " Parameters: " and the parameter
// values, each followed by two blanks.
#pragma once

#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LogRecord.h"
#include "shared/library/logger/LoggerAgent.h"

#include <string>

namespace Velmar {

class LogMessenger {
public:
    // Creates the log file agent (LoggerAgentFile) and sets its file to
    // "Velmar_Debug.log", relative to the working directory, until the set-up
    // gives the real path. Windows layer only.
    LogMessenger();
    // Delivers to the given agent (none: every send answers false).
    explicit LogMessenger(SmartPointer<LoggerAgent> agent);
    virtual ~LogMessenger();

    LogMessenger(const LogMessenger&) = delete;
    LogMessenger& operator=(const LogMessenger&) = delete;

    // Delivers one record text: false when it cannot be read back or there is
    // no agent, else the agent's write of the line. A TimeException while the
    // line is composed or written is written as a line of its own instead.
    // Other exceptions pass to the caller.
    virtual bool send(const std::string& recordText);

    // Forwards to the agent's setFile; false without an agent.
    bool setFile(const std::string& path);

    // The line of a record; `found` tells that `record.text` is the finished
    // catalogue message. A time that cannot be rendered gives
    // "INVALID TIME STAMP  " in place of the time and its blank.
    static std::string formatLogLine(const LogRecord& record, bool found);

    const SmartPointer<LoggerAgent>& agent() const { return agent_; }

private:
    SmartPointer<LoggerAgent> agent_;
};

}  // namespace Velmar
