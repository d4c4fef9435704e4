// One move-only owner for every operating-system handle the program holds.
#pragma once

#include <utility>

namespace platform {

// Owns a handle of type T and releases it with Deleter::release(T) unless it equals
// Deleter::invalid(). Aliases for each kind of handle live next to the code that uses them.
template <typename T, typename Deleter> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Deleter::invalid(); }

    T release() { return std::exchange(handle_, Deleter::invalid()); }
    void reset(T handle = Deleter::invalid()) {
        T old = std::exchange(handle_, handle);
        if (old != Deleter::invalid())
            Deleter::release(old);
    }

  private:
    T handle_ = Deleter::invalid();
};

} // namespace platform
