// The suite's shared owning pointer: reference counted, the object is deleted
// with its last owner. The logging chain, the configuration reader and the
// name resolver are shared through it.
#pragma once

#include <memory>

namespace Velmar {

template <class T>
using SmartPointer = std::shared_ptr<T>;

}  // namespace Velmar
