#include "shared/library/common/IPC.h"

namespace Velmar {

IPC::~IPC() = default;

}  // namespace Velmar
