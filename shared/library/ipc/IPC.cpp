#include "shared/library/ipc/IPC.h"

namespace Velmar {

IPC::~IPC() = default;

}  // namespace Velmar
