// Formatting and delivery of messages through a LogSink.
#include "scan/LogSeam.h"

namespace Velmar {

namespace {
const char kMissingParameter[] = "<??" "?>";  // split: "??>" would read as a trigraph
}  // namespace

std::string formatLogText(const char* format, std::initializer_list<LogParam> params) {
    std::string out;
    auto next = params.begin();
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        if (next == params.end() || p[1] == '\0') {
            out += kMissingParameter;
            if (p[1] != '\0') ++p;
            continue;
        }
        out += next->text;
        ++next;
        ++p;
    }
    return out;
}

void logDebug(const LogHandle& log, int level, const char* format,
              std::initializer_list<LogParam> params) {
    if (log) log->debug(level, formatLogText(format, params));
}

void logError(const LogHandle& log, int32_t number, std::initializer_list<LogParam> params) {
    if (log) log->error(number, std::vector<LogParam>(params));
}

}  // namespace Velmar
