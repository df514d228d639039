// The cleaning of an executable path as the scans find it (a shortcut target,
// a registry name or a piece of a registry text) into the form the candidate
// set keys its records by.
#pragma once

#include <string>

namespace Velmar {

// Lower-cases the path, then cleans it in this order:
// - everything up to and including the last double quote goes;
// - when ":\" stands at an index above 1, the text before its drive letter
//   goes; of several, the last one before the first ".exe" counts;
// - a second and third character "?\" become ":\";
// - a path of five characters or more that does not end with ".exe" is cut
//   right after its first ".exe" (arguments after it go);
// - runs of separators after the first character become one backslash;
// - in a fully qualified path, "." and ".." components are resolved (one file,
//   one spelling).
// The long form of short 8.3 names is the caller's (it needs the file system).
std::string cleanCandidatePath(std::string path);

// Whether the path names its place without help from the current directory:
// a drive letter, ":" and a separator, or two leading separators (a network
// path). "tools\a.exe", "\a.exe" (on the current drive) and "c:a.exe" are not.
bool isFullyQualified(const std::string& path);

// The executable's path in a text whose characters the ANSI code page cannot
// all hold, cut as cleanCandidatePath cuts (everything up to and including
// the last double quote goes, then the text before the drive letter of the
// last ":\" in front of the first ".exe" in any letter case, then what
// follows that ".exe"), letter case and separators left as they are: the form
// that the file system can give a short form of.
std::u16string executablePathIn(std::u16string text);

// Whether a cleaned path names a place on another machine: "\\server\...",
// or the same behind the prefixes "\\?\UNC\" and "\\.\UNC\" (any letter
// case, either separator). Other "\\?\" and "\\.\" paths are local.
bool namesNetworkShare(const std::string& path);

// The drive letter of a cleaned path "x:\..." or "x:/...", lower-cased; '\0'
// for a path of any other form.
char driveLetter(const std::string& path);

}  // namespace Velmar
