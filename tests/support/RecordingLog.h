// A log sink that keeps every message it receives, for tests that compare
// what a unit wrote.
#pragma once

#include "scan/LogSeam.h"

#include <memory>
#include <string>
#include <vector>

namespace Velmar {
namespace testing {

class RecordingLog : public LogSink {
public:
    void debug(int level, const std::string& text) override {
        lines.push_back(std::to_string(level) + " " + text);
    }
    void error(int32_t number, const std::vector<LogParam>& params) override {
        std::string line = "ERROR " + std::to_string(number);
        for (const LogParam& p : params) line += std::string(" ") + p.tag + ":" + p.text;
        lines.push_back(line);
    }

    // Every line joined by "\n", each line "<level> <text>" or "ERROR <n> <tag>:<text>...".
    std::string joined() const {
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        return all;
    }
    // Whether some line equals `line` exactly.
    bool has(const std::string& line) const {
        for (const std::string& l : lines) {
            if (l == line) return true;
        }
        return false;
    }

    std::vector<std::string> lines;
};

inline std::shared_ptr<RecordingLog> makeRecordingLog() { return std::make_shared<RecordingLog>(); }

}  // namespace testing
}  // namespace Velmar
