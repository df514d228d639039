// The administrator's naming rules: for an executable's base name (file name
// without extension, lower case), how to name it or whether to leave it out.
#pragma once

#include <map>
#include <string>

namespace Velmar {

enum MappingKind : int {
    None = 0,       // entered outside any block; no effect on naming
    Ignore = 1,     // leave the executable out
    MapAlways = 2,  // the value, whatever else is known
    MapMedium = 3,  // the file description when there is one, else as MapLast
    MapLast = 4,    // the value when nothing better is known
};

struct ApplicationMapping {
    std::string value;  // case kept
    MappingKind kind = None;
};

// Keys compare byte-wise; the first entry for a key wins.
using ApplicationMappings = std::map<std::string, ApplicationMapping>;

}  // namespace Velmar
