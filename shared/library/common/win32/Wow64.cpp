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

Wow64RedirectionOff::Wow64RedirectionOff()
    : Wow64RedirectionOff(
          [] {
              static const Disable disable =
                  lookUpSystemFunction<Disable>("kernel32", "Wow64DisableWow64FsRedirection");
              return disable;
          }(),
          [] {
              static const Revert revert =
                  lookUpSystemFunction<Revert>("kernel32", "Wow64RevertWow64FsRedirection");
              return revert;
          }()) {}

Wow64RedirectionOff::Wow64RedirectionOff(Disable disable, Revert revert) : revert_(revert) {
    // Only a result of exactly 1 counts as switched off; without a way back
    // it is not switched off at all.
    if (disable != nullptr && revert_ != nullptr) switchedOff_ = disable(&old_) == 1;
}

Wow64RedirectionOff::~Wow64RedirectionOff() {
    if (switchedOff_) revert_(old_);
}

}  // namespace Velmar
