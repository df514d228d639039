#include "shared/library/system/Wow64.h"

namespace Velmar {

bool isWow64() {
    // A property of the process that never changes while it runs; asked once,
    // since every candidate path that does not exist asks again.
    static const bool answer = [] {
        using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
        const IsWow64ProcessFn query =
            lookUpSystemFunction<IsWow64ProcessFn>("kernel32", "IsWow64Process");
        BOOL wow64 = FALSE;
        return query != nullptr && query(::GetCurrentProcess(), &wow64) && wow64 != FALSE;
    }();
    return answer;
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
