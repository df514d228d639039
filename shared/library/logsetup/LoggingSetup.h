// The two set-up steps of the logging chain. They build into a library of
// their own above the logger and the configuration reader, because the second
// reads the configuration while the reader logs through the logger: the
// libraries stay a line (common, logger, config, this set-up, the program).
#pragma once

#include "shared/library/logger/LogSettings.h"

namespace Velmar {

// First set-up, from the suite's registry values: application display name,
// log directory ("StartupLogDir" when logDir is empty; "ERROR!!!" on standard
// output when unreadable), debug level ("StartupDebugLevel", 0 when
// unreadable), rotation scheme words ("LogFileRotationScheme"), then the
// mailslot messenger with the log file logDir + fileName, the centre and the
// application's unit. With `logger` already set it runs reconfigureLogging
// instead. Returns whether the unit was made. Windows layer only.
bool initializeLogging(LogSettings& settings);

// Second set-up, from the configuration through `conf`.
bool reconfigureLogging(LogSettings& settings);

}  // namespace Velmar
