// The decisions of SystemInfo that depend only on their inputs: module type
// words, the order of the directory variables, the choice between the Client
// and Server registry keys, the upward search for a configuration directory,
// the suite key base and word, and the resolution of "${name}" references in
// registry texts. SystemInfo feeds them from the environment, the registry and
// the file system. Nothing here throws except std::bad_alloc.
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

// Registry string data as text: every trailing zero byte removed; zero bytes
// inside (between the strings of a multi-string) kept.
std::string textFromRegistryData(const char* data, size_t size);

// Gives the unresolved text of a named value for reference resolution.
class ReferenceSource {
public:
    virtual ~ReferenceSource();
    // False when the value cannot be read.
    virtual bool readRaw(const std::string& name, std::string& text) = 0;
};

// Limits that keep a self-referencing or fanning-out set of values finite: a
// value read for a reference nested this deep is taken with its own references
// unresolved; one top-level resolution reads at most kMaxReferenceReads values;
// and a replacement that would make a text longer than kMaxResolvedLength is not
// made. A reference not replaced stays in the text as written.
constexpr unsigned kMaxReferenceDepth = 16;
constexpr size_t kMaxReferenceReads = 1024;
constexpr size_t kMaxResolvedLength = size_t{1} << 20;

// Replaces every "${name}" reference whose value `source` can read with that
// value, itself resolved in turn. A "${" is looked at only when at least four
// characters (room for "${x}") start there. A reference is searched for from
// the "}" of an unreadable one, or after the text a replacement put in (that
// text is already resolved). Without a closing "}" resolution ends.
void resolveReferences(std::string& text, ReferenceSource& source);

}  // namespace Velmar
