#include "app/RegistryText.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

constexpr char kLowerMarker[] = ".exe";
constexpr char kUpperMarker[] = ".EXE";
constexpr size_t kMarkerLength = sizeof(kLowerMarker) - 1;

void splitPiece(const std::string& piece, std::vector<std::string>& paths) {
    const char* marker =
        piece.find(kLowerMarker) != std::string::npos ? kLowerMarker : kUpperMarker;
    size_t start = 0;
    for (size_t at = piece.find(marker); at != std::string::npos; at = piece.find(marker, start)) {
        std::string path = piece.substr(start, at + kMarkerLength - start);
        trimBlanks(path);
        paths.push_back(std::move(path));
        start = at + kMarkerLength;
    }
}

}  // namespace

bool hasExeMarker(const std::string& text) {
    return text.find(kLowerMarker) != std::string::npos ||
           text.find(kUpperMarker) != std::string::npos;
}

std::vector<std::string> splitExecutablePaths(const std::string& text) {
    std::vector<std::string> paths;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\0', start);
        splitPiece(text.substr(start, end == std::string::npos ? std::string::npos : end - start),
                   paths);
        if (end == std::string::npos) return paths;
        start = end + 1;
    }
}

}  // namespace Velmar
