// Record texts as they arrive at the messenger: any bytes must read without
// fault; a text that reads back must give a log line, and the record written
// out again must read back to the same fields (numbers clamped on the first
// read stay as they are).
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Velmar::LogRecord record;
    if (!Velmar::recordFromText(text, record)) return 0;
    (void)Velmar::LogMessenger::formatLogLine(record, false);
    Velmar::LogRecord again;
    if (!Velmar::recordFromText(Velmar::recordToText(record), again)) std::abort();
    if (again.kind != record.kind || again.application != record.application ||
        again.module != record.module || again.time.getSeconds() != record.time.getSeconds() ||
        again.severity != record.severity || again.debugLevel != record.debugLevel ||
        again.messageNumber != record.messageNumber || again.text != record.text ||
        again.threadId != record.threadId) {
        std::abort();
    }
    return 0;
}
