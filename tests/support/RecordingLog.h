// The recorder of the logging interface: keeps every call, for tests that
// compare what a unit logged, in order, as a whole. Two renderings:
//   lines / joined():  "<level> <format>" or "<SEVERITY> <number>", then
//                      " |<tag>:<text>" per parameter (the format as written);
//   take():            "D<level> <format with its parameters in place>" or
//                      "E<number> <parameter>|<parameter>..." ("%s" and "%i"
//                      take the next parameter).
#pragma once

#include "shared/library/common/Log.h"

#include <string>
#include <vector>

namespace Velmar {
namespace testing {

class RecordingLog : public Log {
public:
    // The debug level the recorder answers; it records every call whatever it says.
    explicit RecordingLog(int32_t level = 5) : level_(level) {}

    int32_t debugLevel() const override { return level_; }

    void debug(int32_t level, const char* format, const LogParams& params) override {
        lines.push_back(std::to_string(level) + " " + format + tagged(params));
        std::string line = "D" + std::to_string(level) + " ";
        size_t next = 0;
        for (const char* p = format; *p != '\0'; ++p) {
            if (p[0] == '%' && (p[1] == 's' || p[1] == 'i') && next < params.size()) {
                line += params[next++].text;
                ++p;
            } else {
                line += *p;
            }
        }
        filled_ += line + "\n";
    }

    void message(Severity severity, int32_t number, const LogParams& params) override {
        static const char* const names[] = {"NOTICE", "WARNING", "ERROR", "CRITICAL", "FATAL"};
        lines.push_back(std::string(names[static_cast<int>(severity)]) + " " +
                        std::to_string(number) + tagged(params));
        std::string line = "E" + std::to_string(number) + " ";
        for (size_t i = 0; i < params.size(); ++i) line += (i ? "|" : "") + params[i].text;
        filled_ += line + "\n";
    }

    // Every line of `lines`, each followed by "\n".
    std::string joined() const {
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        return all;
    }

    // Every call since the last take() in the filled rendering; forgets them.
    std::string take() {
        std::string taken;
        taken.swap(filled_);
        return taken;
    }

    std::vector<std::string> lines;

private:
    static std::string tagged(const LogParams& params) {
        std::string text;
        for (const LogParam& p : params) text += std::string(" |") + p.tag + ":" + p.text;
        return text;
    }

    int32_t level_;
    std::string filled_;
};

}  // namespace testing
}  // namespace Velmar
