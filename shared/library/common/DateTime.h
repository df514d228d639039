// A point in time with one-second resolution: UTC seconds since 1970 in a
// signed 32-bit value, with the zone it was made in or is to be shown in.
#pragma once

#include "TimeBase.h"

#include <cstdint>

namespace Velmar {

class DateTime : public TimeBase {
public:
    // The current time.
    DateTime();
    // The given number of UTC seconds since 1970, no zone.
    explicit DateTime(int32_t utcSeconds);
};

}  // namespace Velmar
