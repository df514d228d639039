// The process environment as the Windows API holds it (the C runtime keeps a
// copy of its own that SetEnvironmentVariableA does not update).
#pragma once

#include <string>

namespace Velmar {

// The variable's value, and whether it is set at all (an empty value is set).
// `value` is left untouched when the variable is not set.
bool readEnvironment(const std::string& name, std::string& value);

}  // namespace Velmar
