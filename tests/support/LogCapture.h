// A logging chain for tests: an agent that keeps the lines it is given, and a
// fixture that pins the process-wide log settings (fixed clock, thread id and
// local zone) so that whole lines can be compared byte for byte.
#pragma once

#include "shared/library/time/DateTime.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerAgent.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Velmar {
namespace testing {

class CapturingAgent : public LoggerAgent {
public:
    std::string location() const override { return "memory:"; }
    bool isReady() const override { return true; }
    bool write(const std::string& line) override {
        if (beforeWrite) beforeWrite(line);
        lines.push_back(line);
        return result;
    }

    std::vector<std::string> lines;
    bool result = true;
    // Runs before a line is kept; may throw to play a failing agent.
    std::function<void(const std::string&)> beforeWrite;
};

// The instant every record of a PinnedLogSettings test carries:
// 2025-07-01T09:08:07Z, shown as 11:08:07 in the pinned zone (UTC+2, no DST).
constexpr int32_t kPinnedSeconds = 1751360887;
constexpr uint32_t kPinnedThreadId = 4242;
constexpr char kPinnedLocalTime[] = "2025-07-01T11:08:07";

class PinnedLogSettings : public ::testing::Test {
protected:
    void SetUp() override {
        setEnv("VELMAR_TZ", "+02:00 (+00:00 0M0W0D0H-0M0W0D0H)");
        DateTime::resetZoneStateForTests();
        const DateTime readsTheZone;  // the first "now" reads VELMAR_TZ
        (void)readsTheZone;
        resetLogSettingsForTests();
        setLogClock([] { return DateTime(kPinnedSeconds); });
        setThreadIdSource([]() -> uint32_t { return kPinnedThreadId; });
    }
    void TearDown() override {
        resetLogSettingsForTests();
        DateTime::resetZoneStateForTests();
    }

private:
    EnvGuard velmarTz_{"VELMAR_TZ"};
};

}  // namespace testing
}  // namespace Velmar
