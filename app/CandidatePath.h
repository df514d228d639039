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

}  // namespace Velmar
