#pragma once
// The 4-byte cell of the shared memory that tells the hook library which window to notify:
// the program writes its main window's handle once, the library reads it on every key.
#include <cstdint>

constexpr unsigned kKeyHookTargetSize = 4;

// Window handles are 32-bit values on every architecture; the cell holds the low 32 bits,
// little-endian.
inline void WriteKeyHookTarget(volatile void* cell, std::uintptr_t window) noexcept {
    auto* bytes = static_cast<volatile std::uint8_t*>(cell);
    const auto value = static_cast<std::uint32_t>(window);
    for (unsigned i = 0; i < kKeyHookTargetSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The handle back at the pointer's width: it widens with sign extension, like LongToHandle.
inline std::intptr_t ReadKeyHookTarget(const volatile void* cell) noexcept {
    const auto* bytes = static_cast<const volatile std::uint8_t*>(cell);
    std::uint32_t value = 0;
    for (unsigned i = 0; i < kKeyHookTargetSize; ++i)
        value |= std::uint32_t(bytes[i]) << (8 * i);
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(value));
}
