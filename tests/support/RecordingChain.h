// A real logging chain for tests: a messenger that reads each record text
// back and keeps it as one line,
//   debug:      "D<level> <text>"
//   catalogue:  "E<module>.<number> <parameter texts joined by |>"
// so that what a logger unit wrote (the configuration reader's, or one of
// LogRecorder) can be compared as a whole.
#pragma once

#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRecord.h"
#include "shared/library/logger/LoggerCentre.h"

#include <memory>
#include <string>

namespace Velmar {
namespace testing {

class RecordingMessenger : public LogMessenger {
public:
    RecordingMessenger() : LogMessenger(SmartPointer<LoggerAgent>()) {}

    bool send(const std::string& recordText) override {
        LogRecord record;
        if (!recordFromText(recordText, record)) return false;
        if (record.kind == LogRecord::kDebug) {
            lines += "D" + std::to_string(record.debugLevel) + " " + record.text + "\n";
            return true;
        }
        // ParamStream content: tag byte, text, 0x1A separator, for each parameter.
        std::string params;
        size_t start = 0;
        for (size_t end; (end = record.text.find('\x1A', start)) != std::string::npos;
             start = end + 1) {
            params += (start ? "|" : "") + record.text.substr(start + 1, end - start - 1);
        }
        lines += "E" + std::to_string(record.module) + "." + std::to_string(record.messageNumber) +
                 " " + params + "\n";
        return true;
    }

    std::string take() {
        std::string taken;
        taken.swap(lines);
        return taken;
    }

    std::string lines;
};

// A centre over a RecordingMessenger.
struct RecordingChain {
    std::shared_ptr<RecordingMessenger> messenger = std::make_shared<RecordingMessenger>();
    SmartPointer<LoggerCentre> centre = std::make_shared<LoggerCentre>(5, messenger);
};

}  // namespace testing
}  // namespace Velmar
