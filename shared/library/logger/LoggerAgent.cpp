#include "shared/library/logger/LoggerAgent.h"

namespace Velmar {

LoggerAgent::~LoggerAgent() = default;

bool LoggerAgent::setFile(const std::string&) { return false; }

}  // namespace Velmar
