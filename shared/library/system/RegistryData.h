// Registry value data as the program's text; RegistryKey reads values through
// it. Portable, so that it is tested natively.
#pragma once

#include <cstddef>
#include <string>

namespace Velmar {

// Registry string data as text: every trailing zero byte removed; zero bytes
// inside (between the strings of a multi-string) kept.
std::string textFromRegistryData(const char* data, size_t size);

}  // namespace Velmar
