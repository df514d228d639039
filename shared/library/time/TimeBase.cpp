#include "shared/library/time/TimeBase.h"

namespace Velmar {

TimeBase::~TimeBase() = default;

}  // namespace Velmar
