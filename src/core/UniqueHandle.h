#pragma once
// A move-only owner of one system handle: it closes the handle exactly once, when it leaves or
// is given another. The Closer says how a handle closes and, when it is not the null value,
// which value means "no handle" (`static T None()`).
#include <utility>

template <class T, class Closer> class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T handle) noexcept : FHandle(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    static T None() noexcept {
        if constexpr (requires { Closer::None(); })
            return Closer::None();
        else
            return T{};
    }

    T Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != None(); }
    // Gives the handle up without closing it.
    T Release() noexcept { return std::exchange(FHandle, None()); }
    void Reset(T handle = None()) noexcept {
        T old = std::exchange(FHandle, handle);
        if (old != None())
            Closer{}(old);
    }
    // Closes what is held and lends the field to a call that hands back a new handle.
    T* Put() noexcept {
        Reset();
        return &FHandle;
    }

private:
    T FHandle = None();
};
