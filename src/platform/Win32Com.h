// Owners of COM objects and of a thread's COM apartment.
#pragma once

#include <objbase.h>
#include <oleauto.h>

namespace veltrim::platform {

// Holds a COM interface pointer and releases it.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }
  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  // Release what it holds first, so that filling it again leaks nothing.
  Interface** Out() {
    Reset();
    return &pointer_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM for one scope; uninitialised only if this scope initialised it.
class ScopedCom {
 public:
  explicit ScopedCom(DWORD model = COINIT_APARTMENTTHREADED)
      : result_(::CoInitializeEx(nullptr, model)) {}
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;
  ~ScopedCom() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }

 private:
  HRESULT result_;
};

// A VARIANT cleared when it goes.
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { ::VariantClear(&value_); }
  VARIANT& Get() { return value_; }

 private:
  VARIANT value_;
};

}  // namespace veltrim::platform
