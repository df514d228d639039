// The registry scan's walk over one key source: every key name, value name and
// text value that holds ".exe" or ".EXE" handed on as candidate paths. The
// rules live here once for the live registry and for hive files alike.
#pragma once

#include "app/CandidateSink.h"
#include "app/KeySource.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/common/Log.h"
#include "shared/library/system/References.h"

#include <deque>
#include <string>

namespace Velmar {

// What a walk reads besides its source.
struct WalkContext {
    // "${name}" suite references in texts.
    ReferenceSource& references;
    // REG_EXPAND_SZ pieces.
    TextExpander& expander;
    // The pieces of a UTF-16 text that the code page can hold.
    AnsiConverter convert;
};

// Walks the keys whose paths `keyQueue` holds ("" for the hive itself),
// taking each from the back, so the hive is visited depth first with the
// subkeys of a key in the reverse of their listing order. A queued path is
// opened from the root, every key below it from its parent by its own
// UTF-16 name (paths and messages show a name the code page cannot hold with
// "?").
//
// For every key: its subkeys are queued (WARNING 10 with the root name and the
// path when it cannot be opened or they cannot be listed: the key and its
// subtree are skipped). Below the hive itself: a path holding an executable
// marker whose last component holds one too gives that component; then the
// values, in ascending order of their 8-bit names: every value name holding a
// marker is handed on, and when that is refused, its last component (a name
// the code page cannot hold goes whole to the sink's processWideCandidate);
// every REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ text ("${name}" suite
// references resolved; WARNING 12 with the value name, the root name and the
// path when its data cannot be had) is split into executable paths, each
// expanded for REG_EXPAND_SZ. A text the code page cannot hold is split in
// UTF-16: a piece that converts goes on as above (without references), the
// others to processWideCandidate, unexpanded. Values that cannot be listed
// give WARNING 11, or debug 1 when the source denies it; the subkeys are
// still visited. Nothing stops the walk: on return `keyQueue` is empty.
// Answers the number of keys walked (those whose subkeys were listed).
size_t walkRegistry(KeySource& source, const std::string& rootName,
                    std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log,
                    const WalkContext& context);

}  // namespace Velmar
