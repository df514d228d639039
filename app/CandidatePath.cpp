#include "app/CandidatePath.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

constexpr char kExeSuffix[] = ".exe";
constexpr size_t kExeSuffixLength = sizeof(kExeSuffix) - 1;
// Shorter paths are left uncut: they cannot hold a name before ".exe".
constexpr size_t kMinCutLength = 5;

bool separator(char c) { return c == '\\' || c == '/'; }

bool endsWith(const std::string& text, const char* suffix, size_t length) {
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

}  // namespace

std::string cleanCandidatePath(std::string path) {
    toLowerCase(path);
    const size_t lastQuote = path.rfind('"');
    if (lastQuote != std::string::npos) path.erase(0, lastQuote + 1);
    // "x c:\a.exe" keeps "c:\a.exe": the drive letter stands right before ":\".
    // In a list ("c:\a.dll;c:\b\c.exe") the executable's own path begins at
    // the last drive before its ".exe"; drives in arguments after it stay.
    const size_t exeAt = path.find(kExeSuffix);
    const size_t driveColon =
        path.rfind(":\\", exeAt == std::string::npos ? std::string::npos : exeAt);
    if (driveColon != std::string::npos && driveColon > 1) path.erase(0, driveColon - 1);
    if (path.size() > 2 && path[1] == '?' && path[2] == '\\') path[1] = ':';
    if (path.size() >= kMinCutLength && !endsWith(path, kExeSuffix, kExeSuffixLength)) {
        const size_t exe = path.find(kExeSuffix);
        if (exe != std::string::npos) path.erase(exe + kExeSuffixLength);
    }
    normaliseSeparators(path);
    if (isFullyQualified(path)) collapseDotSegments(path);
    return path;
}

bool isFullyQualified(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && separator(path[2])) return true;
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

std::u16string executablePathIn(std::u16string text) {
    const size_t lastQuote = text.rfind(u'"');
    if (lastQuote != std::u16string::npos) text.erase(0, lastQuote + 1);
    std::u16string lowered = text;
    for (char16_t& c : lowered) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    const size_t exeAt = lowered.find(u".exe");
    const size_t end = exeAt == std::u16string::npos ? text.size() : exeAt + kExeSuffixLength;
    size_t driveColon = std::u16string::npos;
    for (size_t i = 0; i + 1 < end; ++i) {
        if (text[i] == u':' && text[i + 1] == u'\\') driveColon = i;
    }
    const size_t start = driveColon != std::u16string::npos && driveColon > 1 ? driveColon - 1 : 0;
    return text.substr(start, end - start);
}

bool namesNetworkShare(const std::string& path) {
    if (path.size() < 2 || !separator(path[0]) || !separator(path[1])) return false;
    // "\\?\" and "\\.\" lead to the system's own name space, where "UNC"
    // is the network.
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && separator(path[3])) {
        std::string device = path.substr(4, 4);
        toLowerCase(device);
        return device.size() == 4 && device.compare(0, 3, "unc") == 0 && separator(device[3]);
    }
    return true;
}

char driveLetter(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || !separator(path[2])) return '\0';
    const char letter = path[0];
    if (letter >= 'a' && letter <= 'z') return letter;
    if (letter >= 'A' && letter <= 'Z') return static_cast<char>(letter - 'A' + 'a');
    return '\0';
}

}  // namespace Velmar
