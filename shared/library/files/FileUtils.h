// String and path functions used throughout the suite. Paths are 8-bit (ANSI)
// Windows paths; both "\" and "/" are read as separators, and the backslash is
// the one written. Nothing here throws.
//
// A blank is a byte whose value, read as a signed 8-bit number, is 32 or less:
// control characters, the space, and every byte from 0x80 up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Velmar {

// Removes blanks at the end, then at the start; returns how many were removed.
size_t trimBlanks(std::string& text);

// Lower-cases the letters A to Z in place; every other byte stays.
void toLowerCase(std::string& text);

// When the text begins with ' or " and ends with the same character, removes
// the last and then the first character (a lone quote becomes empty).
void unquote(std::string& text);

// Returns the text before the first separator and removes it and the separator
// from `text`; without a separator returns the whole text and empties it.
std::string splitHead(std::string& text, char separator);

// Occurrences of `c` in text[start, start + count), the range clamped to the text.
size_t countChar(char c, const std::string& text, size_t start, size_t count);

// True when every byte is 32 or more (unsigned), or a tab, line feed or carriage
// return; true for an empty text.
bool isPrintableText(const std::string& text);

// Leaves the first character alone; from the second on, every run of "\" and "/"
// becomes one backslash. Texts shorter than two characters are unchanged.
void normaliseSeparators(std::string& path);

// Appends a backslash when the path is not empty and does not end in "\" or "/".
void ensureTrailingSeparator(std::string& path);

// The directory above the path's last component, with its trailing separator;
// one trailing separator of the path is ignored. Empty when there is none.
std::string parentDir(const std::string& path);

// Up to and including the last "\" or "/"; empty when there is none.
std::string dirPart(const std::string& path);

// After the last "\" or "/"; the whole path when there is none.
std::string fileName(const std::string& path);

// After the last "." of the last component; empty when there is none (a dot
// in a directory name is no extension).
std::string extension(const std::string& path);

// Returns extension(path) and, when it is not empty, removes it and its dot.
std::string stripExtension(std::string& path);

// Folds separators, then drops "." components and resolves ".." against the
// component before it (leading ".." components of a relative path stay; ".."
// never climbs above a root such as "C:\", "\\server\share\" or "\"). A trailing
// separator is kept only when the path had one and the result is not empty.
void collapseDotSegments(std::string& path);

// Replaces every occurrence of pattern, searching on after each inserted
// replacement; returns the number of replacements. An empty pattern replaces nothing.
size_t replaceAll(std::string& text, const std::string& pattern, const std::string& replacement);

// Decimal text of a signed 32-bit integer.
std::string intToText(int32_t value);

// "%.13f" cut to 19 characters (never inside the integer part), then trailing
// zeros and a bare "." removed: 1.5 -> "1.5", 2 -> "2", 0 -> "0". NaN and
// infinities keep the runtime's text.
std::string doubleToText(double value);

// The trimming of doubleToText on its own: a text holding anything but digits,
// "." and "-", or no ".", or exactly ".", stays as it is.
std::string trimNumber(const std::string& text);

// Creates or empties the file, writes the text and closes it; a failed write
// deletes the file. No lock file, no temporary copy.
bool writeTextFile(const std::string& path, const std::string& text);

// Appends the text when the file exists, else writeTextFile.
bool appendTextFile(const std::string& path, const std::string& text);

namespace detail {
// The byte writer behind writeTextFile and appendTextFile (std::fwrite). Tests
// replace it to make a write fail; nothing else should touch it.
extern size_t (*textFileWrite)(const void*, size_t, size_t, std::FILE*);
}  // namespace detail

}  // namespace Velmar
