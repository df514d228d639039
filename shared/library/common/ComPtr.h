// Owner of one COM interface pointer: released when the owner goes, so an early
// return can never leak a reference.
#pragma once

#include "shared/library/common/WinApi.h"

#include <utility>

namespace Velmar {

template <typename Interface>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }

    Interface* get() const noexcept { return ptr_; }
    Interface* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // For the out-parameter of CoCreateInstance and QueryInterface: releases
    // any held pointer first.
    void** put() noexcept {
        reset();
        return reinterpret_cast<void**>(&ptr_);
    }

    void reset() noexcept {
        if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
    }

private:
    Interface* ptr_ = nullptr;
};

}  // namespace Velmar
