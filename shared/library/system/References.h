// The resolution of "${name}" references in registry texts: the suite's
// directory values and the registry scan's paths may name other values.
// Nothing here throws except std::bad_alloc and what the source throws.
#pragma once

#include <cstddef>
#include <string>

namespace Velmar {

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
