#include "TimeBase.h"

namespace Velmar {

TimeBase::~TimeBase() = default;

}  // namespace Velmar
