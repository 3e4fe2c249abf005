// The device-independent bitmap in which the outside libraries hand over pictures: rows padded to
// four bytes, stored bottom-up (positive height) or top-down (negative height).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// An allocator that leaves the bytes a vector grows by as they come, for pictures that are written
// whole right after: zeroing megabytes first would cost a sizeable part of making them. Bytes that
// must be zero are set so explicitly (assign).
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    using value_type = T;
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    UninitializedAllocator(const UninitializedAllocator<U>&) noexcept
    {
    }
    template <typename U>
    void construct(U* at) noexcept
    {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args)
    {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

struct DibBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: positive for bottom-up rows, negative for top-down
    std::int32_t bpp = 0;     // 1, 4, 8, 16 (5-5-5), 24 (blue, green, red) or 32 (blue, green, red, x)
    // |height| rows of Stride() bytes, in stored order.
    std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> pixels;
    std::array<std::uint32_t, 256> colors{};  // 0x00RRGGBB entries, for bpp of 8 or less

    // Bytes of one row: bpp x width bits rounded up to whole 32-bit words.
    static constexpr std::int64_t Stride(std::int64_t width, std::int64_t bpp)
    {
        return ((bpp * width + 31) / 32) * 4;
    }
    std::int64_t Stride() const { return Stride(width, bpp); }
    std::int64_t Rows() const { return height < 0 ? -std::int64_t(height) : height; }
};
