// One log event, and its text form: the form in which a record travels from
// the logger centre to the messenger and, for catalogue messages, on to the
// suite's core service.
//
// Record text: each field followed by the byte 0x1C, numbers in decimal:
//   "Velmar", "DEBUG" or "LOG", application, module, time (UTC seconds),
//   debug level or severity, text, thread id, and for "LOG" the message number.
// The time mode is not carried.
#pragma once

#include "shared/library/time/DateTime.h"
#include "shared/library/logger/LogCommons.h"

#include <cstdint>
#include <string>

namespace Velmar {

struct LogRecord {
    enum Kind : uint8_t { kDebug = 0, kCatalogue = 1 };

    uint8_t kind = kDebug;
    int32_t application = 0;
    int32_t module = 0;
    DateTime time{0};
    int32_t timeMode = 0;
    int32_t severity = 0;    // catalogue messages: 0..4
    int32_t debugLevel = 0;  // debug messages
    int32_t messageNumber = kNoMessageNumber;
    // Debug: the text. Catalogue: the ParamStream content, replaced by the
    // finished message when the catalogue has its text.
    std::string text;
    uint32_t threadId = 0;
};

std::string recordToText(const LogRecord& record);

// Reads a record text back. Refused (false, `record` untouched) unless the
// first field is exactly "Velmar" and the second exactly "DEBUG" or "LOG".
// Numeric fields are leading decimal integers (none gives 0, values beyond the
// field's range are clamped); missing fields read as empty. A debug record
// gets messageNumber kNoMessageNumber. Never throws (but std::bad_alloc).
bool recordFromText(const std::string& text, LogRecord& record);

// True when the text is at least 12 bytes and bytes 7..11 are "DEBUG".
bool isDebugText(const std::string& text);

}  // namespace Velmar
