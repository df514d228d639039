#include "shared/library/common/Environment.h"

#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/common/WinApi.h"

namespace Velmar {

namespace {
// First guess for a value's length; a longer value is read again at its size.
constexpr size_t kEnvironmentBuffer = 256;
}  // namespace

bool readEnvironment(const std::string& name, std::string& value) {
    DWORD error = ERROR_SUCCESS;
    const bool read = readSizedText(value, kEnvironmentBuffer, [&](char* buffer, uint32_t size) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer, size);
        error = ::GetLastError();
        return length;
    });
    if (read) return true;
    // An empty value and a missing variable both give 0; only the error tells.
    if (error == ERROR_ENVVAR_NOT_FOUND) return false;
    value.clear();
    return true;
}

}  // namespace Velmar
