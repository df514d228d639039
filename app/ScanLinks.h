// The links between the application object and the candidate set: the set
// logs through the application's logger unit and names executables with the
// application's name resolver, both of which are made only during start-up.
#pragma once

#include "app/AppLog.h"
#include "app/CandidateSet.h"
#include "naming/ExeFinder.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnit.h"

namespace Velmar {

// AppLog over a logger handle that may still be empty (or empty again): while
// it is, nothing is written. The handle must outlive this object.
class LoggerHandleLog : public AppLog {
public:
    explicit LoggerHandleLog(const SmartPointer<LoggerUnit>& handle) : handle_(handle) {}
    int32_t debugLevel() const override;
    void debug(int32_t level, const char* format, const LogParams& params) override;
    void message(Severity severity, int32_t number, const LogParams& params) override;

private:
    const SmartPointer<LoggerUnit>& handle_;
};

// NameResolver over the resolver handle; without a resolver every executable
// is left out ("!"). The handle must outlive this object.
class ExeFinderResolver : public NameResolver {
public:
    explicit ExeFinderResolver(const SmartPointer<ExeFinder>& handle) : handle_(handle) {}
    std::string applicationName(const std::string& path) override;

private:
    const SmartPointer<ExeFinder>& handle_;
};

}  // namespace Velmar
