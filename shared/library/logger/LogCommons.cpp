#include "shared/library/logger/LogCommons.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/common/IntegerText.h"

#include <cstdio>

namespace Velmar {
namespace {

const char kUnknownName[] = "<<Unknown>>";

struct ModuleRow {
    int32_t number;
    const char* key;
    const char* secondKey;  // null for rows with one key
    const char* displayName;
};

// Rows 7 to 10, 12 to 23 and 25 to 57 name the suite's other modules.
const ModuleRow kModules[] = {
    {0, "core", nullptr, "Core"},
    {1, "configuration", nullptr, "Configuration"},
    {2, "logger", "log", "Logger"},
    {3, "protocol", nullptr, "Protocol"},
    {4, "time", nullptr, "Time"},
    {5, "cron", nullptr, "Cron"},
    {6, "ipc", nullptr, "IPC"},
    {7, "module07", "mod07", "Module 07"},
    {8, "module08", nullptr, "Module 08"},
    {9, "module09", nullptr, "Module 09"},
    {10, "module10", nullptr, "Module 10"},
    {12, "module12", nullptr, "Module 12"},
    {13, "module13", nullptr, "Module 13"},
    {14, "module14", nullptr, "Module 14"},
    {15, "module15", nullptr, "Module 15"},
    {16, "module16", nullptr, "Module 16"},
    {17, "module17", nullptr, "Module 17"},
    {18, "module18", nullptr, "Module 18"},
    {19, "module19", nullptr, "Module 19"},
    {20, "module20", nullptr, "Module 20"},
    {21, "module21", nullptr, "Module 21"},
    {22, "module22", nullptr, "Module 22"},
    {23, "module23", nullptr, "Module 23"},
    {24, "stocksweep", nullptr, "Stocksweep"},
    {25, "module25", nullptr, "Module 25"},
    {26, "module26", nullptr, "Module 26"},
    {27, "module27", nullptr, "Module 27"},
    {28, "module28", nullptr, "Module 28"},
    {29, "module29", nullptr, "Module 29"},
    {30, "module30", nullptr, "Module 30"},
    {31, "module31", nullptr, "Module 31"},
    {32, "module32", nullptr, "Module 32"},
    {33, "module33", nullptr, "Module 33"},
    {34, "module34", nullptr, "Module 34"},
    {35, "module35", nullptr, "Module 35"},
    {36, "module36", nullptr, "Module 36"},
    {37, "module37", nullptr, "Module 37"},
    {38, "module38", nullptr, "Module 38"},
    {39, "module39", nullptr, "Module 39"},
    {40, "module40", nullptr, "Module 40"},
    {41, "module41", nullptr, "Module 41"},
    {42, "module42", nullptr, "Module 42"},
    {43, "module43", nullptr, "Module 43"},
    {44, "module44", nullptr, "Module 44"},
    {45, "module45", nullptr, "Module 45"},
    {46, "module46", nullptr, "Module 46"},
    {47, "module47", nullptr, "Module 47"},
    {48, "module48", nullptr, "Module 48"},
    {49, "module49", nullptr, "Module 49"},
    {50, "module50", nullptr, "Module 50"},
    {51, "module51", nullptr, "Module 51"},
    {52, "module52", nullptr, "Module 52"},
    {53, "module53", nullptr, "Module 53"},
    {54, "module54", nullptr, "Module 54"},
    {55, "module55", nullptr, "Module 55"},
    {56, "module56", nullptr, "Module 56"},
    {57, "module57", nullptr, "Module 57"},
};

const ModuleRow* findModule(int32_t number) {
    for (const ModuleRow& row : kModules) {
        if (row.number == number) return &row;
    }
    return nullptr;
}

constexpr int32_t kFirstApplication = 1;
constexpr int32_t kLastApplication = 49;
constexpr int32_t kApplicationCore = 1;

// Appends the number with at least two digits ("%02d").
void appendTwoDigits(std::string& out, int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", static_cast<int>(value));
    out += buffer;
}

std::string catalogueKey(int32_t module, int32_t message) {
    return intToText(module) + "." + intToText(message);
}

}  // namespace

int32_t severityFromName(const std::string& name) {
    if (name == "NONE" || name == "NOTHING") return kSeverityNone;
    if (name == "NOTICE") return kSeverityNotice;
    if (name == "WARNING") return kSeverityWarning;
    if (name == "ERROR") return kSeverityError;
    if (name == "CRITICAL") return kSeverityCritical;
    if (name == "FATAL") return kSeverityFatal;
    return kSeverityInvalid;
}

std::string severityName(int32_t severity) {
    static const char* const kNames[] = {"NOTICE", "WARNING", "ERROR", "CRITICAL", "FATAL"};
    if (severity < kSeverityNotice || severity > kSeverityFatal) return std::string();
    return kNames[severity];
}

int32_t moduleNumber(const std::string& key) {
    std::string lower = key;
    toLowerCase(lower);
    for (const ModuleRow& row : kModules) {
        if (lower == row.key || (row.secondKey != nullptr && lower == row.secondKey)) {
            return row.number;
        }
    }
    return kUnknownModule;
}

std::string moduleName(int32_t module) {
    const ModuleRow* row = findModule(module);
    return row != nullptr ? row->displayName : kUnknownName;
}

std::string applicationName(int32_t application) {
    if (application == kApplicationCore) return "Core";
    if (application == kApplicationStocksweep) return "Stocksweep";
    if (application < kFirstApplication || application > kLastApplication) return kUnknownName;
    // The suite's other programs.
    std::string name = "Application ";
    appendTwoDigits(name, application);
    return name;
}

std::string messageId(int32_t application, int32_t module, int32_t message) {
    std::string id = "(" + intToText(application) + ".";
    appendTwoDigits(id, module);
    if (message == kNoMessageNumber) {
        id += ")   ";
    } else {
        id += ".";
        appendTwoDigits(id, message);
        id += ")";
    }
    return id;
}

bool parseMessageLine(const std::string& line, int32_t& number, std::string& text) {
    if (line.empty()) return false;
    if (line.size() >= 2 && line[0] == '/' && line[1] == '/') return false;
    const size_t colon = line.find(':');
    std::string field = line.substr(0, colon);
    text = colon == std::string::npos ? std::string() : line.substr(colon + 1);
    trimBlanks(field);
    trimBlanks(text);
    number = clampToInt32(leadingInteger(field));
    return true;
}

LogCommons::LogCommons() = default;
LogCommons::~LogCommons() = default;

bool LogCommons::addMessageLine(int32_t module, const std::string& line) {
    int32_t number = 0;
    std::string text;
    if (!parseMessageLine(line, number, text)) return false;
    insert(module, number, text);
    return true;
}

bool LogCommons::insert(int32_t module, int32_t message, const std::string& text) {
    return messages_.emplace(catalogueKey(module, message), text).second;
}

bool LogCommons::findMessage(int32_t module, int32_t message, std::string& text) const {
    const auto it = messages_.find(catalogueKey(module, message));
    if (it == messages_.end()) return false;
    text = it->second;
    return true;
}

}  // namespace Velmar
