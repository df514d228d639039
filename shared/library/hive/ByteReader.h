// The one way the hive reader looks at bytes that someone else wrote: a view
// over bytes held in memory whose every read tests its offset and length
// against the view first and answers false instead of reading past it. Offsets
// and lengths come from the file, so they are checked as 64-bit sums that
// cannot wrap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Velmar {
namespace hive {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t size() const { return size_; }

    // Whether `length` bytes from `offset` lie inside the view.
    bool holds(uint64_t offset, uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    // Little-endian numbers at `offset`; false and `value` untouched when
    // they do not lie inside the view.
    bool u8(uint64_t offset, uint8_t& value) const {
        if (!holds(offset, 1)) return false;
        value = data_[offset];
        return true;
    }
    bool u16(uint64_t offset, uint16_t& value) const {
        if (!holds(offset, 2)) return false;
        value = static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
        return true;
    }
    bool u32(uint64_t offset, uint32_t& value) const {
        if (!holds(offset, 4)) return false;
        value = static_cast<uint32_t>(data_[offset]) |
                static_cast<uint32_t>(data_[offset + 1]) << 8 |
                static_cast<uint32_t>(data_[offset + 2]) << 16 |
                static_cast<uint32_t>(data_[offset + 3]) << 24;
        return true;
    }
    bool u64(uint64_t offset, uint64_t& value) const {
        uint32_t low = 0;
        uint32_t high = 0;
        if (!holds(offset, 8) || !u32(offset, low) || !u32(offset + 4, high)) return false;
        value = static_cast<uint64_t>(high) << 32 | low;
        return true;
    }

    // The part of the view of `length` bytes from `offset`; false and `part`
    // untouched when it does not lie inside the view.
    bool sub(uint64_t offset, uint64_t length, ByteReader& part) const {
        if (!holds(offset, length)) return false;
        part = ByteReader(data_ + offset, static_cast<size_t>(length));
        return true;
    }

    // Whether the bytes at `offset` are the two or four ASCII letters `tag`.
    bool hasTag(uint64_t offset, const char* tag, size_t length) const {
        if (!holds(offset, length)) return false;
        for (size_t i = 0; i < length; ++i) {
            if (data_[offset + i] != static_cast<uint8_t>(tag[i])) return false;
        }
        return true;
    }

    // The whole view, for copying out; only ever as long as size().
    const uint8_t* begin() const { return data_; }
    const uint8_t* end() const { return data_ + size_; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace hive
}  // namespace Velmar
