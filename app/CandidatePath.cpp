#include "app/CandidatePath.h"

#include "shared/library/common/FileUtils.h"

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
    const size_t driveColon = path.find(":\\");
    if (driveColon != std::string::npos && driveColon > 1) path.erase(0, driveColon - 1);
    if (path.size() > 2 && path[1] == '?' && path[2] == '\\') path[1] = ':';
    if (path.size() >= kMinCutLength && !endsWith(path, kExeSuffix, kExeSuffixLength)) {
        const size_t exe = path.find(kExeSuffix);
        if (exe != std::string::npos) path.erase(exe + kExeSuffixLength);
    }
    normaliseSeparators(path);
    return path;
}

}  // namespace Velmar
