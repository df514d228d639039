// The application's units log through the one logging interface of the layers
// above the logger; the registry scan still names it AppLog.
#pragma once

#include "scan/StocksweepMessages.h"
#include "shared/library/common/Log.h"

namespace Velmar {

using AppLog = Log;

}  // namespace Velmar
