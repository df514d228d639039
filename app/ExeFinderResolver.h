// The candidate set's name resolver over the application's ExeFinder, which
// is made only during start-up.
#pragma once

#include "app/CandidateSet.h"
#include "naming/ExeFinder.h"
#include "shared/library/common/SmartPointer.h"

namespace Velmar {

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
