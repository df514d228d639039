// Record texts as they arrive at the messenger: any bytes must read without
// fault; a text that reads back must give a log line, and the record written
// out again must read back to the same fields (numbers clamped on the first
// read stay as they are).
#include "fuzz/FuzzCheck.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

using Velmar::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Velmar::LogRecord record;
    if (!Velmar::recordFromText(text, record)) return 0;
    (void)Velmar::LogMessenger::formatLogLine(record, false);
    Velmar::LogRecord again;
    check(Velmar::recordFromText(Velmar::recordToText(record), again), "a written record reads");
    check(again.kind == record.kind && again.application == record.application &&
              again.module == record.module &&
              again.time.getSeconds() == record.time.getSeconds() &&
              again.severity == record.severity && again.debugLevel == record.debugLevel &&
              again.messageNumber == record.messageNumber && again.text == record.text &&
              again.threadId == record.threadId,
          "a written record reads back the same fields");
    return 0;
}
