// How the registry scan finds executable paths in key names, value names and
// value texts. Only ".exe" and ".EXE" mark an executable; ".Exe" and the other
// mixed spellings do not.
#pragma once

#include <string>
#include <vector>

namespace Velmar {

// Whether the text contains ".exe" or ".EXE".
bool hasExeMarker(const std::string& text);
bool hasExeMarker(const std::u16string& text);

// The executable paths in a value's text. The text is split at every zero byte
// (a multi-string gives one piece per string, empty pieces included); in each
// piece the marker is ".exe" when it occurs, else ".EXE", and every stretch
// from the end of the previous marker up to and including the next one is a
// path, blanks trimmed at both ends. Text after a piece's last marker is
// dropped. Quotes, arguments in front and odd drive prefixes stay for the
// candidate cleaning.
std::vector<std::string> splitExecutablePaths(const std::string& text);
// The same for a text in UTF-16 (one that the ANSI code page cannot hold);
// blanks are the characters up to 32.
std::vector<std::u16string> splitExecutablePaths(const std::u16string& text);

}  // namespace Velmar
