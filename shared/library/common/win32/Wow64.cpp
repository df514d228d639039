#include "shared/library/common/win32/Wow64.h"

namespace Velmar {

bool isWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const IsWow64ProcessFn query =
        lookUpSystemFunction<IsWow64ProcessFn>("kernel32", "IsWow64Process");
    if (query == nullptr) return false;
    BOOL wow64 = FALSE;
    if (!query(::GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

}  // namespace Velmar
