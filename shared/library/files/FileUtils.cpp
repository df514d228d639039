// String and path functions: portable, no Windows API.
#include "shared/library/files/FileUtils.h"

#include <cstdio>
#include <vector>

namespace Velmar {

namespace detail {
size_t (*textFileWrite)(const void*, size_t, size_t, std::FILE*) = &std::fwrite;
}  // namespace detail

namespace {

// Read as a signed 8-bit value, so every byte from 0x80 up counts as blank too.
bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

// Splits at backslashes; empty pieces (a trailing separator) are skipped.
std::vector<std::string> splitComponents(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The part of a folded path that ".." can never climb out of: a UNC prefix
// "\\server\share\", a rooting separator, or a drive ("C:" or "C:\"). Returns
// the length of that root within `path` (0 for a relative path).
size_t rootLength(const std::string& path) {
    if (path.empty()) return 0;
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // Server and share belong to the root; after folding, only
        // backslashes separate them.
        size_t pos = 2;
        for (int part = 0; part < 2 && pos < path.size(); ++part) {
            size_t end = path.find('\\', pos);
            if (end == std::string::npos) return path.size();
            pos = end + 1;
        }
        return pos;
    }
    if (isSeparator(path[0])) return 1;
    size_t end = path.find('\\');
    size_t firstLength = end == std::string::npos ? path.size() : end;
    if (firstLength > 0 && path[firstLength - 1] == ':') {
        return end == std::string::npos ? path.size() : end + 1;
    }
    return 0;
}

}  // namespace

size_t trimBlanks(std::string& text) {
    size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && isBlank(text[begin])) ++begin;
    size_t removed = text.size() - (end - begin);
    text = text.substr(begin, end - begin);
    return removed;
}

void toLowerCase(std::string& text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
}

void unquote(std::string& text) {
    if (text.empty()) return;
    char first = text.front();
    if ((first == '\'' || first == '"') && text.back() == first) {
        text.pop_back();
        if (!text.empty()) text.erase(0, 1);
    }
}

std::string splitHead(std::string& text, char separator) {
    size_t pos = text.find(separator);
    std::string head;
    if (pos == std::string::npos) {
        head.swap(text);
        return head;
    }
    head = text.substr(0, pos);
    text.erase(0, pos + 1);
    return head;
}

size_t countChar(char c, const std::string& text, size_t start, size_t count) {
    if (start >= text.size()) return 0;
    size_t end = text.size() - start < count ? text.size() : start + count;
    size_t n = 0;
    for (size_t i = start; i < end; ++i) {
        if (text[i] == c) ++n;
    }
    return n;
}

bool isPrintableText(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\n' && c != '\r') return false;
    }
    return true;
}

void normaliseSeparators(std::string& path) {
    if (path.size() < 2) return;
    std::string out(1, path[0]);
    out.reserve(path.size());
    bool afterSeparator = false;  // the first character never starts a run
    for (size_t i = 1; i < path.size(); ++i) {
        if (isSeparator(path[i])) {
            if (!afterSeparator) out += '\\';
            afterSeparator = true;
        } else {
            out += path[i];
            afterSeparator = false;
        }
    }
    path.swap(out);
}

void ensureTrailingSeparator(std::string& path) {
    if (!path.empty() && !isSeparator(path.back())) path += '\\';
}

std::string parentDir(const std::string& path) {
    size_t end = path.size();
    if (end > 0 && isSeparator(path[end - 1])) --end;
    if (end == 0) return std::string();
    size_t pos = path.find_last_of("\\/", end - 1);
    if (pos == std::string::npos) return std::string();
    return path.substr(0, pos + 1);
}

std::string dirPart(const std::string& path) {
    size_t pos = lastSeparator(path);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string fileName(const std::string& path) {
    size_t pos = lastSeparator(path);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

// Only the last component is searched: a dot in a directory name is no
// extension ("C:\a.d\file" has none), so stripExtension never cuts into the
// directory part.
std::string extension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return std::string();
    size_t sep = lastSeparator(path);
    if (sep != std::string::npos && sep > dot) return std::string();
    return path.substr(dot + 1);
}

std::string stripExtension(std::string& path) {
    std::string ext = extension(path);
    if (!ext.empty()) path.erase(path.size() - ext.size() - 1);
    return ext;
}

// ".." never climbs above a root: "C:\..\x" gives "C:\x", "\\server\share\.."
// gives "\\server\share\", "\..\x" gives "\x". In a relative path, ".." that
// has only ".." before it stays. An empty result gets no trailing separator,
// so a relative path never turns into a rooted one.
void collapseDotSegments(std::string& path) {
    if (path.empty()) return;
    normaliseSeparators(path);
    bool trailing = isSeparator(path.back());
    size_t rootLen = rootLength(path);
    std::string root = path.substr(0, rootLen);

    std::vector<std::string> kept;
    for (std::string& part : splitComponents(path.substr(rootLen))) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty() && kept.back() != "..") {
                kept.pop_back();
            } else if (root.empty()) {
                kept.push_back(part);
            }
            continue;
        }
        kept.push_back(std::move(part));
    }

    std::string out = root;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) out += '\\';
        out += kept[i];
    }
    if (trailing && !kept.empty()) out += '\\';
    path.swap(out);
}

size_t replaceAll(std::string& text, const std::string& pattern, const std::string& replacement) {
    if (pattern.empty()) return 0;  // an empty pattern would match everywhere, for ever
    size_t count = 0;
    size_t pos = 0;
    while ((pos = text.find(pattern, pos)) != std::string::npos) {
        text.replace(pos, pattern.size(), replacement);
        pos += replacement.size();
        ++count;
    }
    return count;
}

std::string intToText(int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%ld", static_cast<long>(value));
    return buf;
}

// The text is cut to 19 characters to bound the fraction, but never inside the
// integer part: a number of 19 digits or more keeps all of them (cutting there
// would change its magnitude: 1e20 would read as 1e18).
std::string doubleToText(double value) {
    constexpr size_t kMaxChars = 19;
    int needed = std::snprintf(nullptr, 0, "%.13f", value);
    if (needed <= 0) return std::string();
    std::vector<char> buf(static_cast<size_t>(needed) + 1);
    std::snprintf(buf.data(), buf.size(), "%.13f", value);
    std::string text(buf.data(), static_cast<size_t>(needed));
    size_t dot = text.find('.');
    size_t keep = kMaxChars;
    if (dot != std::string::npos && dot > keep) keep = dot;
    if (text.size() > keep) text.resize(keep);
    return trimNumber(text);
}

std::string trimNumber(const std::string& text) {
    if (text.find_first_not_of("0123456789.-") != std::string::npos) return text;
    if (text == ".") return text;
    size_t dot = text.rfind('.');
    if (dot == std::string::npos) return text;
    std::string out = text;
    if (dot == out.size() - 1) {
        out.pop_back();
        return out;
    }
    // At least `dot`, which is no zero; when only zeros follow it, the "." goes too.
    size_t end = out.find_last_not_of('0');
    out.resize(end == dot ? dot : end + 1);
    if (out.empty()) out = "0";
    return out;
}

// The two writers work on C stdio directly in the modes "wb" and "ab": no lock
// file and no temporary copy, the bytes go straight to the file's own name.
bool writeTextFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = detail::textFileWrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::remove(path.c_str());
    return ok;
}

bool appendTextFile(const std::string& path, const std::string& text) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) return writeTextFile(path, text);
    std::fclose(probe);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) return false;
    // A failed append keeps the file: it holds earlier data that is not ours to delete.
    bool ok = detail::textFileWrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

}  // namespace Velmar
