#include "app/CandidatePath.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

constexpr char kExeSuffix[] = ".exe";
constexpr size_t kExeSuffixLength = sizeof(kExeSuffix) - 1;
// Shorter paths are left uncut: they cannot hold a name before ".exe".
constexpr size_t kMinCutLength = 5;

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
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() >= 3 && path[1] == ':' && separator(path[2])) return true;
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

}  // namespace Velmar
