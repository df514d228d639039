// Environment variables for tests of the portable core, natively and under Wine.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace Velmar {
namespace testing {

// Sets the variable; null removes it.
inline void setEnv(const std::string& name, const char* value) {
#ifdef _WIN32
    _putenv((name + "=" + (value != nullptr ? value : "")).c_str());
#else
    if (value != nullptr) {
        setenv(name.c_str(), value, 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

// Saves and restores an environment variable around a test.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) saved_ = value;
    }
    ~EnvGuard() { setEnv(name_, saved_ ? saved_->c_str() : nullptr); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace testing
}  // namespace Velmar
