// A logger unit whose lines are kept, for tests that compare what a unit
// wrote through a class-wide or passed-in logger: each line is
// "D<level> <text>" or "E<module>.<number> <parameters joined by |>" (see
// RecordingChain.h), and the unit's own "Created logger" line is dropped.
#pragma once

#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/LoggerUnitLog.h"
#include "tests/support/RecordingChain.h"

#include <memory>
#include <string>

namespace Velmar {
namespace testing {

struct LogRecorder {
    LogRecorder() {
        setDebugLevel(kMaxDebugLevel);
        chain.messenger->take();
    }

    // Everything written since the last take, one line feed after each line.
    std::string take() { return chain.messenger->take(); }

    // The last line written, without its line feed; empty when none.
    std::string lastLine() const {
        std::string all = chain.messenger->lines;
        if (all.empty()) return "";
        all.pop_back();
        return all.substr(all.rfind('\n') + 1);  // npos + 1 is 0
    }

    // Whether some line equals `line` exactly.
    bool has(const std::string& line) const {
        return ("\n" + chain.messenger->lines).find("\n" + line + "\n") != std::string::npos;
    }

    RecordingChain chain;
    SmartPointer<LoggerUnit> unit = std::make_shared<LoggerUnit>(chain.centre, kModuleStocksweep);
    // The logging interface over `unit`, for functions that take one.
    LoggerUnitLog unitLog{unit};
};

}  // namespace testing
}  // namespace Velmar
