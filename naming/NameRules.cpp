// The naming decision, over an ExeInfo and the mapping rules.
#include "naming/NameRules.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

// Generic words cut off the end of a name, tried in this order.
const char* const kGenericWords[] = {"application file", "application"};
// The folder every Start menu has; it names no application.
const char kProgramsFolder[] = "programs";
const char kOperatingSystem[] = "operating system";

const int kNamingLevel = 5;

bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Everything before the last "." (the whole text when there is none).
std::string withoutExtension(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string lowered(std::string text) {
    toLowerCase(text);
    return text;
}

// The mapping rules. True when they settle the name.
bool applyMappings(ExeInfo& info, const ApplicationMappings& mappings, const std::string& base,
                   std::string& name) {
    auto entry = mappings.find(base);
    if (entry == mappings.end()) return false;
    const ApplicationMapping& rule = entry->second;
    switch (rule.kind) {
        case Ignore: name = kIgnoredName; return true;
        case MapAlways: name = rule.value; return true;
        case MapMedium:
            if (!info.fileDescription.empty()) {
                name = info.fileDescription;
                cleanName(name);
                if (!name.empty()) return true;
            }
            name = rule.value;
            return false;
        case MapLast:
        case None: name = rule.value; return false;
    }
    return false;
}

// The version resource. True when it settles the name; otherwise the name is empty.
bool applyVersionResource(ExeInfo& info, const std::string& base, std::string& name, Log& log) {
    if (!isPrintable(info.productName)) {
        debugLog(log, kNamingLevel, "ExeFinder: Ignored Product:%s, Using:%s.", info.productName,
                 base);
        info.productName = base;
    }
    if (!isPrintable(info.fileDescription)) {
        debugLog(log, kNamingLevel, "ExeFinder: Ignored FileDescription:%s, Using:%s.",
                 info.fileDescription, base);
        info.fileDescription = base;
    }
    if (!info.fileDescription.empty()) {
        name = info.fileDescription;
    } else if (lowered(info.productName).find(kOperatingSystem) != std::string::npos) {
        name = base;
        info.fileDescription = base;
    } else {
        name = info.productName;
    }
    cleanName(name);
    if (name.empty()) return false;
    debugLog(log, kNamingLevel, "ExeFinder: Product name/description \"%s\" to \"%s\".",
             info.exeFile, name);
    return true;
}

}  // namespace

void decideName(ExeInfo& info, const ApplicationMappings& mappings, Log& log) {
    std::string name = info.appName;
    const std::string base = lowered(withoutExtension(info.exeFile));

    bool settled = applyMappings(info, mappings, base, name);
    if (!settled && (!info.productName.empty() || !info.fileDescription.empty())) {
        settled = applyVersionResource(info, base, name, log);
    }
    if (!settled && !info.menuName.empty()) {
        name = info.menuName;
        debugLog(log, kNamingLevel, "ExeFinder: Menu name \"%s\" to \"%s\".", info.exeFile, name);
        settled = true;
    }
    if (!settled && !info.menuFolder.empty() && lowered(info.menuFolder) != kProgramsFolder) {
        name = info.menuFolder;
        debugLog(log, kNamingLevel, "ExeFinder: Menu folder \"%s\" to \"%s\".", info.exeFile, name);
        settled = true;
    }
    if (!settled) {
        if (name.empty()) name = withoutExtension(fileName(info.exeFile));
        debugLog(log, kNamingLevel, "ExeFinder: Using \"%s\" to \"%s\".", info.exeFile, name);
    }
    info.appName = name;
}

void cleanName(std::string& name) {
    const std::string lower = lowered(name);
    for (const char* word : kGenericWords) {
        const std::string generic(word);
        if (lower.size() < generic.size() ||
            lower.compare(lower.size() - generic.size(), generic.size(), generic) != 0) {
            continue;
        }
        if (lower.size() > generic.size()) {
            // p is the byte just before the word; blanks before it go too,
            // but the first two bytes always stay.
            size_t p = lower.size() - generic.size() - 1;
            while (p >= 2 && isBlank(name[p])) --p;
            name.resize(p + 1);
        }
        break;
    }
    for (char c : name) {
        if (isAsciiLetter(c)) return;
    }
    name.clear();
}

bool isPrintable(const std::string& text) {
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b == '\t' || b == '\n' || b == '\r') continue;
        if (b < 32 || b > 126) return false;
    }
    return true;
}

}  // namespace Velmar
