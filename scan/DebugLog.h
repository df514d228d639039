// Debug texts through a logger handle that may be empty: the class-wide
// loggers of the scanner and the resolver are set during start-up and cleared
// at the end, and nothing is written while they are empty.
#pragma once

#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnit.h"

#include <cstdint>

namespace Velmar {

// The format with its "%s" and "%i" placeholders filled from `params` (texts
// and numbers, in order); a format without parameters is written as it is.
template <class... Params>
void debugLog(const SmartPointer<LoggerUnit>& logger, int32_t level, const char* format,
              const Params&... params) {
    if (logger) logger->debug(level, format, params...);
}

}  // namespace Velmar
