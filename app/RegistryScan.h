// The registry scan: one whole hive walked key by key, every key name, value
// name and text value that holds ".exe" or ".EXE" handed on as candidate paths.
#pragma once

#include "app/CandidateSink.h"
#include "shared/library/common/Log.h"
#include "shared/library/system/RegistryKey.h"

#include <deque>
#include <string>

namespace Velmar {

// Walks the keys below `root` whose paths `keyQueue` holds ("" for the hive
// itself), taking each from the back, so the hive is visited depth first with
// the subkeys of a key in the reverse of their listing order. Keys are opened
// for reading, in the 32-bit view when `view32` is set: a queued path from the
// root, every key below it from its parent's open handle by its own name (so a
// whole path may be longer than the registry lets a root open). The walk holds
// one open key per level of depth and the names of the subkeys still waiting.
//
// For every key: its subkeys are queued (WARNING 10 with the root name and the
// path when they cannot be listed: the key and its subtree are skipped). Below
// the hive itself: a path holding an executable marker gives its last
// component; then the values, in ascending name order: every value name
// holding a marker is handed on, and when that is refused, its last
// component; every REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ text, taken from the
// listing itself (trailing zeros removed, "${name}" suite references
// resolved; WARNING 12 with the value name, the root name and the path when
// its data cannot be had), is split into executable paths, each expanded from
// the environment for REG_EXPAND_SZ (WARNING 16 with the system error when
// that fails: the piece goes on unexpanded). Values that cannot be listed give
// WARNING 11, or debug 1 when the registry denies it; the subkeys are still
// visited. Nothing stops the walk: on return `keyQueue` is empty.
void scanRegistryRoot(HKEY root, const std::string& rootName, bool view32,
                      std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log);

// ExpandEnvironmentStringsA into four times the text's length, and once more
// into the size the system reports when that is not enough. On failure
// WARNING 16 with the system error, and the text comes back unchanged.
std::string expandEnvironment(const std::string& text, Log& log);

}  // namespace Velmar
