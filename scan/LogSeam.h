// The road by which the scanner, the resolver and the mapping loader write
// their debug texts and catalogue messages. Every caller goes through
// logDebug and logError below, so the sink behind them can be exchanged
// without touching a call site.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace Velmar {

// One parameter of a message: a text (tag 's') or a whole number (tag 'n').
struct LogParam {
    LogParam(const std::string& value) : tag('s'), text(value) {}
    LogParam(const char* value) : tag('s'), text(value) {}
    LogParam(int value) : tag('n'), text(std::to_string(value)) {}
    LogParam(long value) : tag('n'), text(std::to_string(value)) {}
    LogParam(unsigned value) : tag('n'), text(std::to_string(value)) {}
    LogParam(unsigned long value) : tag('n'), text(std::to_string(value)) {}

    char tag;
    std::string text;
};

// Receives finished messages. Implementations must not throw.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void debug(int level, const std::string& text) = 0;
    virtual void error(int32_t number, const std::vector<LogParam>& params) = 0;
};

using LogHandle = std::shared_ptr<LogSink>;

// The format with each "%s" and "%i" replaced by the next parameter's text and
// "%%" by "%"; a placeholder without a parameter left becomes "<???>".
std::string formatLogText(const char* format, std::initializer_list<LogParam> params);

// Nothing happens when `log` is empty.
void logDebug(const LogHandle& log, int level, const char* format,
              std::initializer_list<LogParam> params = {});
void logError(const LogHandle& log, int32_t number, std::initializer_list<LogParam> params);

}  // namespace Velmar
