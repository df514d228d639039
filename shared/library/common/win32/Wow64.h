// WOW64: a 32-bit process on 64-bit Windows. Such a process reaches the suite's
// registry key through the 32-bit view and sees redirected system folders.
#pragma once

#include "shared/library/common/win32/WinApi.h"

namespace Velmar {

// A function of a system DLL that older Windows versions lack, looked up by name;
// null when the module is not loaded or has no such export.
// GetProcAddress answers a generic function pointer; going through void(*)()
// tells the compiler the cast to the real signature is meant.
template <typename Fn>
Fn lookUpSystemFunction(const char* module, const char* name) {
    HMODULE handle = ::GetModuleHandleA(module);
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(handle, name)));
}

// True when IsWow64Process (looked up in kernel32 on the first call and kept)
// exists and says this process runs under WOW64; false when it is missing,
// fails or says no.
bool isWow64();

}  // namespace Velmar
