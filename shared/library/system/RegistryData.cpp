#include "shared/library/system/RegistryData.h"

namespace Velmar {

std::string textFromRegistryData(const char* data, size_t size) {
    while (size > 0 && data[size - 1] == '\0') --size;
    return std::string(data, size);
}

}  // namespace Velmar
