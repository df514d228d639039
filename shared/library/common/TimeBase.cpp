#include "shared/library/common/TimeBase.h"

namespace Velmar {

TimeBase::~TimeBase() = default;

}  // namespace Velmar
