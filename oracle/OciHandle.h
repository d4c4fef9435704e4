// Ownership of one OCI handle allocated from an environment.
#pragma once

#include "oracle/OciEnvironment.h"

#include <utility>

namespace oci {

// Owns a handle of OCI type `handleType` and frees it with OCIHandleFree on destruction or
// reset(). Move-only. The environment it came from must outlive it.
template <typename T, ub4 handleType> class OciHandle {
  public:
    OciHandle() = default;
    // Allocates a new handle from the environment; get() is null when that failed.
    explicit OciHandle(const OciEnvironment& environment)
        : api_(&environment.api()), handle_(static_cast<T*>(environment.allocate(handleType))) {}
    ~OciHandle() { reset(); }

    OciHandle(const OciHandle&) = delete;
    OciHandle& operator=(const OciHandle&) = delete;
    OciHandle(OciHandle&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, nullptr)) {}
    OciHandle& operator=(OciHandle&& other) noexcept {
        if (this != &other) {
            reset();
            api_ = other.api_;
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }

    T* get() const { return handle_; }

    // Frees the handle now (the result of OCIHandleFree is not checked).
    void reset() {
        if (handle_ != nullptr)
            api_->OCIHandleFree(std::exchange(handle_, nullptr), handleType);
    }

  private:
    const OciEntryPoints* api_ = nullptr;
    T* handle_ = nullptr;
};

} // namespace oci
