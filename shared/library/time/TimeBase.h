// Common base of time spans and points in time: one signed 32-bit count of seconds.
#pragma once

#include <cstdint>

namespace Velmar {

class TimeBase {
public:
    TimeBase() = default;
    explicit TimeBase(int32_t seconds) : seconds_(seconds) {}
    virtual ~TimeBase();

    int32_t getSeconds() const { return seconds_; }
    bool isZero() const { return seconds_ == 0; }
    void setSeconds(int32_t seconds) { seconds_ = seconds; }

protected:
    int32_t seconds_ = 0;
};

}  // namespace Velmar
