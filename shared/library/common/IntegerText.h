// Integers read from text: the catalogue and record text parsers of the
// logger and the configuration lookups share these.
#pragma once

#include <cstdint>
#include <string>

namespace Velmar {

// The leading decimal integer of the text: white space (blank, tab, line
// feed, vertical tab, form feed, carriage return), an optional sign, digits.
// 0 without digits; saturates at the int64 range. Never throws.
int64_t leadingInteger(const std::string& text);

// The value clamped to the int32 range.
int32_t clampToInt32(int64_t value);

}  // namespace Velmar
