// Buffers for the functions that are called, tell the size they need, and are
// called again (GetEnvironmentVariableA, GetFullPathNameA, RegQueryValueExA...):
// the loop is written once here. Plain C++ over callables, so it is tested on
// its own; the callables are the ones that talk to Windows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Velmar {

// Largest buffer handed to a call: the Windows functions take their capacity as a DWORD.
constexpr size_t kMaxGrownBuffer = std::numeric_limits<uint32_t>::max();

// Calls `call(data, capacity, size)` (data: `buffer`'s elements, bytes or UTF-16
// units, capacity: its size) until the result fits; sizes count elements. `call` answers false when it failed; otherwise it sets
// `size` to the bytes of the result when that fit (at most `capacity`), or to any
// larger number when it did not (the size it asked for, when it tells one). The
// buffer then grows to the larger of that size and twice its own, never past
// `limit`, and the call is repeated: what is read may grow between two calls.
// Answers true with the result in buffer[0, size); false, `size` untouched,
// when `call` failed or the result would not fit in `limit` bytes. `buffer`
// must not be empty.
// Throws std::bad_alloc when the buffer cannot grow.
template <typename Char, typename Call>
bool growAndRetry(std::vector<Char>& buffer, uint32_t& size, Call&& call,
                  size_t limit = kMaxGrownBuffer) {
    for (;;) {
        const auto capacity = static_cast<uint32_t>(buffer.size());
        uint32_t wanted = 0;
        if (!call(buffer.data(), capacity, wanted)) return false;
        if (wanted <= capacity) {
            size = wanted;
            return true;
        }
        if (buffer.size() >= limit) return false;
        buffer.resize(std::min(limit, std::max<size_t>(wanted, buffer.size() * 2)));
    }
}

// The text of a function that answers the length it wrote, without the
// terminating zero, when the text fit; and when it did not, the size it needs
// with the zero (GetEnvironmentVariableA, GetFullPathNameA, GetCurrentDirectoryA,
// GetWindowsDirectoryA, GetTempPathA, GetShortPathNameW) or the capacity itself, having cut the
// text (GetModuleFileNameA). `call(data, capacity)` answers that number; 0 means
// failure (or an empty text: the caller tells them apart). Starts with
// `initial` elements. Answers false and leaves `text` untouched when `call` answers 0.
template <typename Char, typename Call>
bool readSizedText(std::basic_string<Char>& text, size_t initial, Call&& call) {
    std::vector<Char> buffer(std::max<size_t>(initial, 1));
    uint32_t size = 0;
    const bool read =
        growAndRetry(buffer, size, [&](Char* data, uint32_t capacity, uint32_t& wanted) {
            const uint32_t length = call(data, capacity);
            if (length == 0) return false;
            if (length < capacity) {
                wanted = length;
            } else {
                // A length equal to the capacity is a cut text: ask for more than that.
                if (capacity == std::numeric_limits<uint32_t>::max()) return false;
                wanted = std::max(length, capacity + 1);
            }
            return true;
        });
    if (!read) return false;
    text.assign(buffer.data(), size);
    return true;
}

}  // namespace Velmar
