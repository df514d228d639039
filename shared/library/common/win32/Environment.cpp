#include "shared/library/common/win32/Environment.h"

#include "shared/library/common/win32/WinApi.h"

#include <vector>

namespace Velmar {

namespace {
// First guess for a value's length; a longer value is read again at its size.
constexpr DWORD kEnvironmentBuffer = 256;
}  // namespace

bool readEnvironment(const std::string& name, std::string& value) {
    std::vector<char> buffer(kEnvironmentBuffer);
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            // An empty value and a missing variable both give 0; only the error tells.
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
            value.clear();
            return true;
        }
        if (length < buffer.size()) {
            value.assign(buffer.data(), length);
            return true;
        }
        // Too small: the length asked for includes the terminating zero.
        buffer.resize(length + 1);
    }
}

}  // namespace Velmar
