#include "packaging/ConfSetup.h"

namespace setup {

const char* const kEditableFiles[2] = {"stocksweep.conf", "components\\appmapping.conf"};
const char kDefaultsFolder[] = "Defaults\\";

namespace {

const char kEntryHead[] = "conf (DirName) = \"";

// The start of the entry's head at the beginning of a line (after blanks), or npos.
std::string::size_type findEntry(const std::string& text, std::string::size_type from) {
    for (auto at = text.find(kEntryHead, from); at != std::string::npos;
         at = text.find(kEntryHead, at + 1)) {
        auto before = at;
        while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t')) --before;
        if (before == 0 || text[before - 1] == '\n') return at;
    }
    return std::string::npos;
}

}  // namespace

bool withConfDir(const std::string& text, const std::string& confDir, std::string& out) {
    const auto at = findEntry(text, 0);
    if (at == std::string::npos || findEntry(text, at + 1) != std::string::npos) return false;
    const auto valueStart = at + sizeof(kEntryHead) - 1;
    const auto valueEnd = text.find('"', valueStart);
    const auto lineEnd = text.find('\n', valueStart);
    if (valueEnd == std::string::npos || (lineEnd != std::string::npos && valueEnd > lineEnd)) {
        return false;
    }

    std::string dir = confDir;
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    std::string escaped;
    for (char c : dir) {
        escaped += c;
        if (c == '\\') escaped += '\\';
    }
    out = text.substr(0, valueStart) + escaped + text.substr(valueEnd);
    return true;
}

}  // namespace setup
