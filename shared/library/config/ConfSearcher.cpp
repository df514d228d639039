#include "shared/library/config/ConfSearcher.h"

#include <cstring>

namespace Velmar {
namespace {

const char kDelimiters[] = "=(){}\n";

// start + count, clamped to the end of the text (count may be npos).
size_t limitOf(const std::string& text, size_t start, size_t count) {
    size_t size = text.size();
    if (start >= size) return size;
    return count >= size - start ? size : start + count;
}

size_t findFrom(const std::string& text, char c, size_t from, size_t limit) {
    for (size_t i = from; i < limit; ++i) {
        if (text[i] == c) return i;
    }
    return StringSearcher::npos;
}

// The end of the quoted text opened at `start`.
size_t quotedEnd(const std::string& text, size_t start, size_t limit) {
    const char quote = text[start];
    size_t i = start + 1;
    while (i < limit) {
        if (text[i] == '\\') {
            i += 2;
        } else if (text[i] == quote) {
            return i + 1;
        } else {
            ++i;
        }
    }
    return limit;
}

// The end of the comment opened by the "/" at `start`, followed by "/" or "*".
size_t commentEnd(const std::string& text, size_t start, size_t limit) {
    if (text[start + 1] == '/') {
        size_t lineFeed = findFrom(text, '\n', start, limit);
        if (lineFeed == StringSearcher::npos) return limit;
        // A carriage return before the line feed is not part of the comment;
        // the index can never fall before "//" itself.
        if (lineFeed > start + 2 && text[lineFeed - 1] == '\r') return lineFeed - 1;
        return lineFeed;
    }
    for (size_t i = start + 2; i + 1 < limit; ++i) {
        if (text[i] == '*' && text[i + 1] == '/') return i + 2;
    }
    return limit;
}

}  // namespace

ConfSearcher::~ConfSearcher() = default;

bool ConfSearcher::isDelimiter(char c) {
    return c != '\0' && std::strchr(kDelimiters, c) != nullptr;
}

size_t ConfSearcher::skipBlanks(const std::string& text, size_t& passed, size_t start,
                                size_t count) const {
    const size_t limit = limitOf(text, start, count);
    size_t i = start;
    while (i < limit && isBlank(text[i]) && text[i] != '\n') ++i;
    passed = i >= start ? i - start : 0;
    return i >= text.size() ? npos : i;
}

size_t ConfSearcher::findTokenEnd(const std::string& text, bool& significant, size_t start,
                                  size_t count) const {
    const size_t limit = limitOf(text, start, count);
    if (start >= limit) return npos;

    const char first = text[start];
    if (isBlank(first) && first != '\n') {
        significant = false;
        size_t i = start + 1;
        while (i < limit && text[i] == first) ++i;
        return i;
    }
    significant = true;
    if (first == '#') {
        size_t lineFeed = findFrom(text, '\n', start, limit);
        return lineFeed == npos ? limit : lineFeed;
    }
    for (size_t i = start; i < limit; ++i) {
        const char c = text[i];
        const bool atStart = i == start;
        if (c == '\'' || c == '"') {
            return atStart ? quotedEnd(text, start, limit) : i;
        }
        if (!atStart && isBlank(c)) return i;
        if (c == '/' && i + 1 < limit && (text[i + 1] == '/' || text[i + 1] == '*')) {
            return atStart ? commentEnd(text, start, limit) : i;
        }
        if (isDelimiter(c)) return atStart ? start + 1 : i;
    }
    return limit;
}

}  // namespace Velmar
