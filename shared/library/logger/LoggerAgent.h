// The end of the logging chain: something that takes finished log lines.
#pragma once

#include <string>

namespace Velmar {

class LoggerAgent {
public:
    LoggerAgent() = default;
    virtual ~LoggerAgent();

    LoggerAgent(const LoggerAgent&) = delete;
    LoggerAgent& operator=(const LoggerAgent&) = delete;

    // Where lines go, e.g. "file:///c:\logs\x.log".
    virtual std::string location() const = 0;
    // Whether the agent takes lines (the file agent always answers true).
    virtual bool isReady() const = 0;
    // Writes one line (without line end; the agent adds its own). True when
    // the line was written.
    virtual bool write(const std::string& line) = 0;
    // Makes `path` the destination. Agents without a file refuse (false).
    virtual bool setFile(const std::string& path);
};

}  // namespace Velmar
