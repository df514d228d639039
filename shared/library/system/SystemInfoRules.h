// The decisions of SystemInfo that depend only on their inputs: module type
// words, the order of the directory variables, the choice between the Client
// and Server registry keys, the upward search for a configuration directory,
// the suite key base and word. SystemInfo feeds them from the environment, the
// registry and the file system. Nothing here throws except std::bad_alloc.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace Velmar {

// "client" gives "Client"; "server" and "coreserver" give "Server"; matched
// after lower-casing the letters A to Z. Any other text gives "".
std::string moduleTypeFromText(const std::string& value);

// Environment variables consulted for the directories, in order.
const std::vector<std::string>& installDirVariables();
const std::vector<std::string>& configDirVariables();

// Answers whether the variable is set (an empty value counts as set) and, when
// it is, its value.
using EnvironmentReader = std::function<bool(const std::string& name, std::string& value)>;
using PathTest = std::function<bool(const std::string& path)>;

// Takes the first variable of `names` that is set at all; later names are not
// consulted even when the one taken is unusable. Its value gets a trailing
// separator and folded separators and is returned when `exists` accepts it;
// otherwise, and when none is set, "".
std::string directoryFromVariables(const std::vector<std::string>& names,
                                   const EnvironmentReader& read, const PathTest& exists);

// The reading of a directory value from both the Client and the Server key when
// the module type is still unknown: only one non-empty gives it and sets
// `moduleType` to that key's word; equal texts give that text; two different
// non-empty texts give "".
std::string reconcileRegistryDirectory(const std::string& clientValue,
                                       const std::string& serverValue, std::string& moduleType);

// `name` inside `directory`: a backslash goes between them unless the
// directory is empty or already ends in a separator. The directory values may
// come without a trailing separator (the upward search never gives one).
std::string inDirectory(const std::string& directory, const std::string& name);

// The installation directory derived from a configuration directory: the one
// above it, dot segments resolved, with a trailing separator.
std::string installDirFromConfigDir(const std::string& configDir);

// From `start` (ending in a separator) upwards: the first directory D for which
// D + "Configuration", else D + "etc", exists; that path, without a trailing
// separator. "" when the search runs out of parents or `start` is empty.
std::string findConfigDirAbove(const std::string& start, const PathTest& exists);

// "SOFTWARE\" + "Wow6432Node\" (under WOW64 only) + "Velmar\".
std::string suiteKeyBase(bool wow64);

// Which of the suite's keys below the base exist.
struct SuiteKeyRecord {
    bool resources = false;
    bool client = false;
    bool server = false;
};

// True when `word` is "Resources", "Client" or "Server" and its key exists.
bool suiteWordExists(const SuiteKeyRecord& record, const std::string& word);

// The word the suite key path ends in: `word` when its key exists; otherwise
// the module type (asked for only then) when its key exists; else "Resources".
std::string chooseSuiteWord(const std::string& word, const SuiteKeyRecord& record,
                            const std::function<std::string()>& moduleType);

}  // namespace Velmar
