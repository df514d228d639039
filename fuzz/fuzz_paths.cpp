// Fuzz target over the string and path functions: arbitrary bytes as paths and
// texts, with the invariants that must hold for every input.
//
// Input layout: byte 0 picks the separator of splitHead and the character of
// countChar, bytes 1-2 give countChar's start and count, bytes 3-10 a double;
// the rest is the text. The text split at its first 0x00 gives the pattern and
// the replacement of replaceAll (up to the second 0x00).
#include "fuzz/FuzzCheck.h"
#include "shared/library/files/FileUtils.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace Velmar;

using fuzz::check;

bool isSep(char c) { return c == '\\' || c == '/'; }
bool isBlankByte(char c) { return static_cast<signed char>(c) <= 32; }

std::vector<std::string> splitAtBackslash(const std::string& s) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = s.find('\\', start);
        parts.push_back(
            s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

void stringFunctions(const std::string& text, char c, size_t start, size_t count) {
    std::string t = text;
    size_t removed = trimBlanks(t);
    check(removed + t.size() == text.size(), "trimBlanks count");
    check(t.empty() || (!isBlankByte(t.front()) && !isBlankByte(t.back())), "trimBlanks ends");
    check(t.empty() || text.find(t) != std::string::npos, "trimBlanks keeps a piece");

    t = text;
    toLowerCase(t);
    check(t.size() == text.size(), "toLowerCase size");
    for (size_t i = 0; i < t.size(); ++i) {
        char o = text[i];
        check(t[i] == ((o >= 'A' && o <= 'Z') ? static_cast<char>(o + 32) : o), "toLowerCase byte");
    }

    t = text;
    unquote(t);
    check(t.size() == text.size() || t.size() + 1 == text.size() || t.size() + 2 == text.size(),
          "unquote size");
    check(t.size() + 2 != text.size() || text.compare(1, t.size(), t) == 0,
          "unquote keeps the middle");

    t = text;
    std::string head = splitHead(t, c);
    if (text.find(c) == std::string::npos) {
        check(head == text && t.empty(), "splitHead without separator");
    } else {
        check(head + c + t == text, "splitHead reconstructs");
        check(head.find(c) == std::string::npos, "splitHead cuts at the first");
    }

    size_t n = countChar(c, text, start, count);
    size_t expected = 0;
    for (size_t i = start; i < text.size() && i - start < count; ++i) expected += text[i] == c;
    check(n == expected, "countChar");

    bool printable = true;
    for (char b : text) {
        if (static_cast<unsigned char>(b) < 32 && b != '\t' && b != '\n' && b != '\r')
            printable = false;
    }
    check(isPrintableText(text) == printable, "isPrintableText");
}

void pathFunctions(const std::string& path) {
    std::string p = path;
    normaliseSeparators(p);
    check(p.size() <= path.size(), "normaliseSeparators grows");
    check(p.empty() || p[0] == path[0], "normaliseSeparators keeps the first byte");
    for (size_t i = 1; i < p.size(); ++i) {
        check(p[i] != '/', "normaliseSeparators leaves a slash");
        check(!(p[i] == '\\' && i >= 2 && p[i - 1] == '\\'), "normaliseSeparators leaves a run");
    }
    std::string again = p;
    normaliseSeparators(again);
    check(again == p, "normaliseSeparators idempotent");

    p = path;
    ensureTrailingSeparator(p);
    check(path.empty() ? p.empty() : isSep(p.back()), "ensureTrailingSeparator");
    check(p.compare(0, path.size(), path) == 0 && p.size() <= path.size() + 1,
          "ensureTrailingSeparator appends at most one");

    std::string parent = parentDir(path);
    check(parent.size() < path.size() || path.empty(), "parentDir shorter");
    check(path.compare(0, parent.size(), parent) == 0, "parentDir prefix");
    check(parent.empty() || isSep(parent.back()), "parentDir ends in separator");

    std::string dir = dirPart(path);
    std::string name = fileName(path);
    check(dir + name == path, "dirPart + fileName");
    check(name.find_first_of("\\/") == std::string::npos, "fileName has no separator");

    std::string ext = extension(path);
    check(ext.find_first_of("\\/.") == std::string::npos, "extension is one piece");
    p = path;
    check(stripExtension(p) == ext, "stripExtension returns extension");
    check(ext.empty() ? p == path : p + "." + ext == path, "stripExtension reconstructs");

    p = path;
    collapseDotSegments(p);
    std::string twice = p;
    collapseDotSegments(twice);
    check(twice == p, "collapseDotSegments idempotent");
    if (!path.empty()) {
        // After a UNC prefix "\\server\share" (which may name devices such as
        // "\\.\pipe") no component is "." and no ".." follows a named one.
        std::vector<std::string> parts = splitAtBackslash(p);
        size_t first = 0;
        if (p.size() >= 2 && isSep(p[0]) && p[1] == '\\') first = p[0] == '\\' ? 4 : 3;
        bool named = false;
        for (size_t i = first; i < parts.size(); ++i) {
            check(parts[i] != ".", "collapseDotSegments leaves \".\"");
            if (parts[i] == "..") {
                check(!named, "collapseDotSegments leaves \"..\" after a name");
            } else if (!parts[i].empty()) {
                named = true;
            }
        }
    }
}

void numberFunctions(double value, int32_t integer, const std::string& text) {
    std::string t = doubleToText(value);
    check(!t.empty(), "doubleToText empty");
    if (std::isfinite(value)) {
        check(t.find_first_not_of("0123456789.-") == std::string::npos, "doubleToText characters");
        check(trimNumber(t) == t, "doubleToText fully trimmed");
        double back = std::strtod(t.c_str(), nullptr);
        check(std::fabs(back - value) <= 1.0 + std::fabs(value) * 1e-15, "doubleToText magnitude");
    }
    check(std::strtol(intToText(integer).c_str(), nullptr, 10) == integer, "intToText");

    std::string trimmed = trimNumber(text);
    check(trimmed.size() <= text.size() || trimmed == "0", "trimNumber grows");
}

void replaceFunction(const std::string& data) {
    size_t z1 = data.find('\0');
    if (z1 == std::string::npos) return;
    size_t z2 = data.find('\0', z1 + 1);
    if (z2 == std::string::npos) return;
    std::string pattern = data.substr(0, z1);
    std::string replacement = data.substr(z1 + 1, z2 - z1 - 1);
    std::string text = data.substr(z2 + 1);
    std::string t = text;
    size_t n = replaceAll(t, pattern, replacement);
    check(t.size() + n * pattern.size() == text.size() + n * replacement.size(), "replaceAll size");
    if (pattern.empty()) check(n == 0 && t == text, "replaceAll with empty pattern");
    if (n == 0) check(t == text, "replaceAll without match");
    if (!pattern.empty()) {
        // Searching on after each replacement matches the non-overlapping
        // occurrences of the original text, from the left.
        size_t expected = 0;
        for (size_t pos = text.find(pattern); pos != std::string::npos;
             pos = text.find(pattern, pos + pattern.size())) {
            ++expected;
        }
        check(n == expected, "replaceAll count");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 11) {
        std::string text(reinterpret_cast<const char*>(data), size);
        stringFunctions(text, '.', 0, text.size());
        pathFunctions(text);
        return 0;
    }
    char c = static_cast<char>(data[0]);
    size_t start = data[1];
    size_t count = data[2] == 0xFF ? std::string::npos : data[2];
    double value;
    std::memcpy(&value, data + 3, sizeof value);
    int32_t integer;
    std::memcpy(&integer, data + 3, sizeof integer);
    std::string text(reinterpret_cast<const char*>(data + 11), size - 11);

    stringFunctions(text, c, start, count);
    pathFunctions(text);
    numberFunctions(value, integer, text);
    replaceFunction(text);
    return 0;
}
