// Owners of COM interfaces and of the calling thread's apartment on this side of the seam.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace menu::platform::win32 {

template <class Interface> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(ComPtr &&other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr &operator=(ComPtr &&other) noexcept
    {
        reset();
        pointer_ = std::exchange(other.pointer_, nullptr);
        return *this;
    }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    ~ComPtr() { reset(); }

    Interface *get() const { return pointer_; }
    Interface *operator->() const { return pointer_; }
    // For the functions that hand out a new reference.
    Interface **put()
    {
        reset();
        return &pointer_;
    }
    void reset()
    {
        if (pointer_ != nullptr)
            std::exchange(pointer_, nullptr)->Release();
    }
    // The same object behind another of its interfaces.
    template <class Other> HRESULT as(ComPtr<Other> &other) const
    {
        return pointer_->QueryInterface(__uuidof(Other), reinterpret_cast<void **>(other.put()));
    }

  private:
    Interface *pointer_ = nullptr;
};

// An apartment for the calling thread while it lives; one that the thread already has (Qt's
// on the user-interface thread) is shared, and given back only when made here.
class ComApartment {
  public:
    ComApartment()
        : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
    }
    ~ComApartment()
    {
        if (result_ == S_OK || result_ == S_FALSE)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

  private:
    HRESULT result_;
};

} // namespace menu::platform::win32
