// WOW64: a 32-bit process on 64-bit Windows. Such a process reaches the suite's
// registry key through the 32-bit view and sees redirected system folders.
#pragma once

#include "shared/library/common/WinApi.h"

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

// True when IsWow64Process exists in kernel32 and says this process runs under
// WOW64; false when it is missing, fails or says no. Asked on the first call;
// the answer is kept.
bool isWow64();

// Switches WOW64 file-system redirection off for the calling thread while it
// lives, so that a 32-bit process sees the real system folder rather than
// SysWOW64; turns it back on when it goes, however the scope ends. Does
// nothing where the functions are missing (no WOW64) or the switch fails.
// Nothing that loads a DLL belongs in its scope.
class Wow64RedirectionOff {
public:
    using Disable = BOOL(WINAPI*)(PVOID*);
    using Revert = BOOL(WINAPI*)(PVOID);

    // With Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection
    // of kernel32, looked up on the first use and kept.
    Wow64RedirectionOff();
    // With the caller's functions (either may be null).
    Wow64RedirectionOff(Disable disable, Revert revert);
    ~Wow64RedirectionOff();
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

    // Whether redirection is off now because of this object.
    bool switchedOff() const { return switchedOff_; }

private:
    Revert revert_ = nullptr;
    PVOID old_ = nullptr;
    bool switchedOff_ = false;
};

// Runs `test` as it is and, when it says no in a 32-bit process on 64-bit
// Windows, once more with redirection off: what exists in either the
// redirected or the real system folder passes.
template <typename Test>
bool inEitherSystemFolder(Test test) {
    if (test()) return true;
    if (!isWow64()) return false;
    Wow64RedirectionOff redirection;
    return redirection.switchedOff() && test();
}

}  // namespace Velmar
