#include "app/RegistryText.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

constexpr char kLowerMarker[] = ".exe";
constexpr char kUpperMarker[] = ".EXE";
constexpr size_t kMarkerLength = sizeof(kLowerMarker) - 1;

// The marker in the text's own characters.
template <typename Text>
Text marker(const char* ascii) {
    return Text(ascii, ascii + kMarkerLength);
}

// Blanks at both ends removed: characters up to 32, as trimBlanks has them
// for 8-bit text.
std::u16string trimmed(const std::u16string& text) {
    size_t start = 0;
    size_t end = text.size();
    while (end > start && text[end - 1] <= u' ') --end;
    while (start < end && text[start] <= u' ') ++start;
    return text.substr(start, end - start);
}

std::string trimmed(std::string text) {
    trimBlanks(text);
    return text;
}

template <typename Text>
void splitPiece(const Text& piece, std::vector<Text>& paths) {
    const Text lower = marker<Text>(kLowerMarker);
    const Text found = piece.find(lower) != Text::npos ? lower : marker<Text>(kUpperMarker);
    size_t start = 0;
    for (size_t at = piece.find(found); at != Text::npos; at = piece.find(found, start)) {
        paths.push_back(trimmed(piece.substr(start, at + kMarkerLength - start)));
        start = at + kMarkerLength;
    }
}

template <typename Text>
bool marked(const Text& text) {
    return text.find(marker<Text>(kLowerMarker)) != Text::npos ||
           text.find(marker<Text>(kUpperMarker)) != Text::npos;
}

template <typename Text>
std::vector<Text> split(const Text& text) {
    std::vector<Text> paths;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(typename Text::value_type(0), start);
        splitPiece(text.substr(start, end == Text::npos ? Text::npos : end - start), paths);
        if (end == Text::npos) return paths;
        start = end + 1;
    }
}

}  // namespace

bool hasExeMarker(const std::string& text) { return marked(text); }

bool hasExeMarker(const std::u16string& text) { return marked(text); }

std::vector<std::string> splitExecutablePaths(const std::string& text) { return split(text); }

std::vector<std::u16string> splitExecutablePaths(const std::u16string& text) {
    return split(text);
}

}  // namespace Velmar
