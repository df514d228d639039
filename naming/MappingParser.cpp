// The mapping file's block state machine.
#include "naming/MappingParser.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

struct Keyword {
    const char* text;
    MappingKind kind;
};

const Keyword kKeywords[] = {
    {"ignore", Ignore},
    {"mapalways", MapAlways},
    {"mapmedium", MapMedium},
    {"maplast", MapLast},
};

}  // namespace

void MappingParser::enter(const std::string& key, const std::string& value, MappingKind kind) {
    mappings_.emplace(key, ApplicationMapping{value, kind});
}

bool MappingParser::addLine(std::string line) {
    if (failed_) return false;
    ++lineNumber_;
    trimBlanks(line);
    if (line.empty() || line[0] == '#') return true;

    if (state_ == None) {
        toLowerCase(line);
        if (line == "{") {
            if (pending_ == None) {
                failed_ = true;
                return false;
            }
            state_ = pending_;
            return true;
        }
        if (line == "}") {
            pending_ = None;
            return true;
        }
        for (const Keyword& keyword : kKeywords) {
            if (line == keyword.text) {
                pending_ = keyword.kind;
                return true;
            }
        }
        enter(line, "", None);
        return true;
    }

    if (line == "}") {
        state_ = None;
        pending_ = None;
        return true;
    }
    if (state_ == Ignore) {
        toLowerCase(line);
        enter(line, "", Ignore);
        return true;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        toLowerCase(line);
        enter(line, "", static_cast<MappingKind>(state_));
        return true;
    }
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    trimBlanks(key);
    toLowerCase(key);
    trimBlanks(value);
    enter(key, value, static_cast<MappingKind>(state_));
    return true;
}

bool parseMappingLines(const std::vector<std::string>& lines, ApplicationMappings& out,
                       int& errorLine) {
    MappingParser parser;
    for (const std::string& line : lines) {
        if (!parser.addLine(line)) {
            errorLine = parser.lineNumber();
            return false;
        }
    }
    out = parser.mappings();
    return true;
}

}  // namespace Velmar
