// The vocabulary shared by every log message: severities, the module and
// application tables, the printed message identifier, and the message
// catalogue with its file format.
//
// Catalogue files ("<module key>.mess" in the "LogMessages" directory below the
// configuration directory) hold one message a line:
//   - an empty line, or a line of two or more bytes starting with "//", is skipped;
//   - every other line (a single byte included) is split at its first ":" into
//     a number field and the message text (no ":": all number field, empty
//     text); both are trimmed of blanks (bytes <= 32 read as signed, so bytes
//     from 0x80 up are trimmed too);
//   - the number is the leading decimal integer of its field, 0 when none.
#pragma once

#include "shared/library/common/Log.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Velmar {

// The module number of a key that has no row in the module table.
constexpr int32_t kUnknownModule = 64;
// Modules and the application number of this program.
constexpr int32_t kModuleConfiguration = 1;
constexpr int32_t kModuleStocksweep = 24;
constexpr int32_t kApplicationStocksweep = 5;
// The message number carried by debug messages (they have none).
constexpr int32_t kNoMessageNumber = 99999;

// Whole text, case-sensitive: "NONE"/"NOTHING" 5, "NOTICE" 0, "WARNING" 1,
// "ERROR" 2, "CRITICAL" 3, "FATAL" 4; anything else 6.
int32_t severityFromName(const std::string& name);
// The names of 0..4; empty for any other number.
std::string severityName(int32_t severity);

// Lower-cases the key and compares it exactly with every key of the module
// table (one row has two keys); kUnknownModule when none matches.
int32_t moduleNumber(const std::string& key);
// The display name of a module number; "<<Unknown>>" without a row (11, 64...).
std::string moduleName(int32_t module);
// The display name of an application number (rows 1..49); "<<Unknown>>" else.
std::string applicationName(int32_t application);

// "(<application>.<module>.<message>)", module and message with at least two
// digits; for kNoMessageNumber "(<application>.<module>)" and three blanks.
std::string messageId(int32_t application, int32_t module, int32_t message);

// Parses one catalogue line. False for a skipped line (empty, comment); else
// true with the message number and the trimmed text. Pure; never throws.
bool parseMessageLine(const std::string& line, int32_t& number, std::string& text);

// What loadMessages did. `counts` runs parallel to `loaded`.
struct LoadResult {
    bool ok = false;
    std::string error;                  // set when ok is false
    std::vector<std::string> loaded;    // module names read, in reading order
    std::vector<std::string> rejected;  // module names skipped, in listing order
    std::vector<int32_t> counts;        // message lines read per loaded module
};

// The message catalogue: "<module>.<message>" (decimal, no leading zeros) to
// message text. The first text inserted under a key stays.
class LogCommons {
public:
    LogCommons();
    virtual ~LogCommons();

    // Feeds one catalogue line of the module's file: inserts its message when
    // the key is new. Returns whether the line is a message line (every
    // message line counts, a repeated key included).
    bool addMessageLine(int32_t module, const std::string& line);

    // Inserts the text unless the key exists; returns whether it was inserted.
    bool insert(int32_t module, int32_t message, const std::string& text);

    // On success copies the text into `text` and returns true; else returns
    // false and leaves `text` alone.
    bool findMessage(int32_t module, int32_t message, std::string& text) const;

    size_t size() const { return messages_.size(); }

    // Reads "<directory>\LogMessages\*.mess" for the modules the filter admits:
    // exactly "all", or a text holding the admitted module names (a
    // case-sensitive substring test on the file's name without extension).
    // Names without a module row, or outside the filter, land in `rejected`.
    // A FileException while a file is handled ends the load with ok false and
    // the exception's text as error; any other exception gives "Unknown", lack
    // of memory for the file object "OUT OF MEMORY". What was inserted or
    // listed before a failure is kept. Windows layer only.
    LoadResult loadMessages(const std::string& directory, const std::string& filter);

private:
    std::map<std::string, std::string> messages_;
};

}  // namespace Velmar
