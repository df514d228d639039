// An AppLog that keeps every message as one line, for tests that compare what
// a unit of the application logged, in order.
#pragma once

#include "app/AppLog.h"

#include <string>
#include <vector>

namespace Velmar {
namespace testing {

class AppLogRecorder : public AppLog {
public:
    explicit AppLogRecorder(int32_t level = 5) : level_(level) {}

    int32_t debugLevel() const override { return level_; }

    // "<level> <format>" and " |<tag>:<text>" per parameter.
    void debug(int32_t level, const char* format, const LogParams& params) override {
        lines.push_back(std::to_string(level) + " " + format + rendered(params));
    }
    // "<SEVERITY> <number>" and " |<tag>:<text>" per parameter.
    void message(Severity severity, int32_t number, const LogParams& params) override {
        static const char* const names[] = {"NOTICE", "WARNING", "ERROR", "CRITICAL", "FATAL"};
        lines.push_back(std::string(names[static_cast<int>(severity)]) + " " +
                        std::to_string(number) + rendered(params));
    }

    // Every line, each followed by "\n".
    std::string joined() const {
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        return all;
    }

    std::vector<std::string> lines;

private:
    static std::string rendered(const LogParams& params) {
        std::string text;
        for (const LogParam& p : params) text += std::string(" |") + p.tag + ":" + p.text;
        return text;
    }

    int32_t level_;
};

}  // namespace testing
}  // namespace Velmar
