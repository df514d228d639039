// The registry scan's tests still name the recorder of the logging interface
// AppLogRecorder.
#pragma once

#include "tests/support/RecordingLog.h"

namespace Velmar {
namespace testing {

using AppLogRecorder = RecordingLog;

}  // namespace testing
}  // namespace Velmar
