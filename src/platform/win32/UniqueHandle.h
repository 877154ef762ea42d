// Owners of the kernel's and the shell's handles on this side of the seam: each is closed
// exactly once, however the code that holds it ends.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace menu::platform::win32 {

// Close: the function that gives the handle back; Invalid: the value that means "none" for
// the function that made it (CreateFileW gives INVALID_HANDLE_VALUE, CreateMutexW NULL).
template <class Handle, BOOL(WINAPI *Close)(Handle)> class UniqueOwner {
  public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle handle) : handle_(normal(handle)) {}
    UniqueOwner(UniqueOwner &&other) noexcept : handle_(other.release()) {}
    UniqueOwner &operator=(UniqueOwner &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner &) = delete;
    UniqueOwner &operator=(const UniqueOwner &) = delete;
    ~UniqueOwner() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != nullptr; }
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr)
    {
        if (handle_ != nullptr)
            Close(handle_);
        handle_ = normal(handle);
    }
    // Closes now; the Windows error of a failed close (a late write error), else 0.
    DWORD close()
    {
        if (handle_ == nullptr)
            return 0;
        return Close(std::exchange(handle_, nullptr)) ? 0 : ::GetLastError();
    }

  private:
    static Handle normal(Handle handle)
    {
        if constexpr (std::is_same_v<Handle, HANDLE>)
            return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
        else
            return handle;
    }
    Handle handle_ = nullptr;
};

using UniqueHandle = UniqueOwner<HANDLE, ::CloseHandle>; // files, mutexes, events
using UniqueFind = UniqueOwner<HANDLE, ::FindClose>;     // FindFirstFileW

} // namespace menu::platform::win32
