#include "DateTime.h"

#include <ctime>

namespace Velmar {

DateTime::DateTime() : TimeBase(static_cast<int32_t>(std::time(nullptr))) {}

DateTime::DateTime(int32_t utcSeconds) : TimeBase(utcSeconds) {}

}  // namespace Velmar
