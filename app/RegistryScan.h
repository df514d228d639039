// The registry scan: one whole hive walked key by key, every key name, value
// name and text value that holds ".exe" or ".EXE" handed on as candidate paths.
#pragma once

#include "app/CandidateSink.h"
#include "app/KeySource.h"
#include "shared/library/common/Log.h"
#include "shared/library/system/References.h"
#include "shared/library/system/RegistryKey.h"

#include <deque>
#include <memory>
#include <string>

namespace Velmar {

// The walk of app/RegistryWalk.h over the live registry: the keys below
// `root` whose paths `keyQueue` holds ("" for the hive itself), opened for
// reading, in the 32-bit view when `view32` is set: a queued path from the
// root, every key below it from its parent's open handle by its own UTF-16
// name (so a whole path may be longer than the registry lets a root open).
// The walk holds one open key per level of depth and the names of the subkeys
// still waiting.
//
// The rules are the walk's; REG_EXPAND_SZ pieces go to `expander`. Answers
// the number of keys walked.
size_t scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                        std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log,
                        TextExpander& expander);

// The live registry below `root` as a key source, in the 32-bit view when
// `view32` is set.
std::unique_ptr<KeySource> liveKeySource(HKEY root, bool view32);

// References in registry texts name values of the suite key.
class SuiteValues : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override;
};

// ExpandEnvironmentStringsA into four times the text's length, and once more
// into the size the system reports when that is not enough. On failure
// WARNING 16 with the system error, and the text comes back unchanged.
std::string expandEnvironment(const std::string& text, Log& log);

// Expansion from the process's environment (expandEnvironment).
class ProcessEnvironment : public TextExpander {
public:
    explicit ProcessEnvironment(Log& log) : log_(log) {}
    std::string expand(const std::string& keyPath, const std::string& text) override;

private:
    Log& log_;
};

}  // namespace Velmar
