#include "app/ExeFinderResolver.h"

#include "naming/NameRules.h"

namespace Velmar {

std::string ExeFinderResolver::applicationName(const std::string& path) {
    return handle_ ? handle_->getApplicationName(path) : kIgnoredName;
}

}  // namespace Velmar
