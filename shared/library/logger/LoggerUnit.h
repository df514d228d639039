// The logging interface of one module. Each call is filtered by the
// process-wide debug level or severity threshold before anything is built, so
// a call that is filtered out formats nothing and allocates nothing; a call
// that passes becomes a LogRecord for the centre.
//
// Every operation returns true when the message was written or filtered out,
// false when it was not delivered (no centre, or the chain below failed).
// Debug and parameter texts have their separator bytes (0x1A, 0x1B, 0x1C)
// blanked before they enter the record.
#pragma once

#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/ParamStream.h"

#include <cstdint>
#include <string>

namespace Velmar {

class LoggerCentre;
struct LogRecord;

class LoggerUnit {
public:
    // Keeps a plain pointer to the centre (its owner keeps it alive), then logs
    // the debug line "LoggerUnit: Created logger for the <module> module.";
    // an exception from that line is swallowed.
    LoggerUnit(const SmartPointer<LoggerCentre>& centre, int32_t module);
    // Logs "LoggerUnit: Destroyed logger for the <module> module." (exceptions
    // swallowed), then forgets the centre.
    virtual ~LoggerUnit();

    LoggerUnit(const LoggerUnit&) = delete;
    LoggerUnit& operator=(const LoggerUnit&) = delete;

    // Whether a debug message of this level passes the process-wide level.
    static bool wantsDebug(int32_t level) { return level <= debugLevel(); }

    // Debug messages: dropped when level > the debug level. Exceptions from the
    // chain pass to the caller.
    // The level test is inline, so that a filtered-out call costs no call.
    bool debug(int32_t level, const char* text) {
        return !wantsDebug(level) || sendDebug(level, text != nullptr ? text : "");
    }
    bool debug(int32_t level, const std::string& text) {
        return !wantsDebug(level) || sendDebug(level, text);
    }
    // The format with the stream's parameters substituted.
    bool debug(int32_t level, const char* format, ParamStream params);
    // As above with the parameters given directly; the stream is built only
    // when the level passes, so a filtered-out call costs nothing but the test.
    template <class First, class... Rest>
    bool debug(int32_t level, const char* format, const First& first, const Rest&... rest) {
        if (!wantsDebug(level)) return true;
        ParamStream params;
        params << first;
        (void)(params << ... << rest);
        return debug(level, format, std::move(params));
    }

    // Catalogue messages: dropped when the severity threshold is above the
    // message's severity. Every exception from the chain is caught (false).
    bool notice(int32_t number);
    bool notice(int32_t number, ParamStream params);
    bool warning(int32_t number);
    bool warning(int32_t number, ParamStream params);
    bool error(int32_t number);
    bool error(int32_t number, ParamStream params);
    bool critical(int32_t number, ParamStream params);
    bool fatal(int32_t number);
    bool fatal(int32_t number, ParamStream params);

    int32_t module() const { return module_; }

private:
    bool sendDebug(int32_t level, std::string text);
    bool sendCatalogue(int32_t severity, int32_t number, const std::string& content);
    // Fills module, time, time mode and thread id and hands the record over.
    bool deliver(LogRecord& record);

    LoggerCentre* centre_;
    int32_t module_;
};

}  // namespace Velmar
