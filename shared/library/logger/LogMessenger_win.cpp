// The messenger's own agent: the log file, on a name relative to the working
// directory until the set-up gives the real path.
#include "shared/library/logger/LogMessenger.h"

#include "shared/library/logger/LoggerAgentFile.h"

#include <memory>

namespace Velmar {
namespace {

const char kStartupLogFile[] = "Velmar_Debug.log";

}  // namespace

LogMessenger::LogMessenger() : agent_(std::make_shared<LoggerAgentFile>()) {
    agent_->setFile(kStartupLogFile);
}

}  // namespace Velmar
