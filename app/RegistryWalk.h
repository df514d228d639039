// The registry scan's walk over one key source: every key name, value name and
// text value that holds ".exe" or ".EXE" handed on as candidate paths. The
// rules live here once for the live registry and for hive files alike.
#pragma once

#include "app/CandidateSink.h"
#include "app/KeySource.h"
#include "shared/library/common/Log.h"
#include "shared/library/system/References.h"

#include <deque>
#include <string>

namespace Velmar {

// Walks the keys whose paths `keyQueue` holds ("" for the hive itself),
// taking each from the back, so the hive is visited depth first with the
// subkeys of a key in the reverse of their listing order. A queued path is
// opened from the root, every key below it from its parent by its own name.
//
// For every key: its subkeys are queued (WARNING 10 with the root name and the
// path when it cannot be opened or they cannot be listed: the key and its
// subtree are skipped). Below the hive itself: a key whose own name holds an
// executable marker gives that name; then the values, in ascending name
// order: every value name holding a marker is handed on, and when that is
// refused, its last component; every REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ
// text ("${name}" suite references resolved through `references`; WARNING 12
// with the value name, the root name and the path when its data cannot be
// had; a text with no 8-bit form is skipped) is split into executable paths,
// each expanded by `expander` for REG_EXPAND_SZ. Values that cannot be listed
// give WARNING 11, or debug 1 when the source denies it; the subkeys are
// still visited. Nothing stops the walk: on return `keyQueue` is empty.
void walkRegistry(KeySource& source, const std::string& rootName, std::deque<std::string>& keyQueue,
                  CandidateSink& sink, Log& log, ReferenceSource& references,
                  TextExpander& expander);

}  // namespace Velmar
