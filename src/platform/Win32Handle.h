// Owns a kernel handle; both NULL and INVALID_HANDLE_VALUE mean "none".
#pragma once

#include <windows.h>

namespace veltrim::platform {

class AutoCloseHandle {
 public:
  AutoCloseHandle() = default;
  explicit AutoCloseHandle(HANDLE handle) : handle_(handle) {}
  AutoCloseHandle(const AutoCloseHandle&) = delete;
  AutoCloseHandle& operator=(const AutoCloseHandle&) = delete;
  ~AutoCloseHandle() { Close(); }

  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  // Gives up ownership without closing.
  void Release() { handle_ = nullptr; }

  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }

  // Returns false, with the error in GetLastError, when closing fails.
  bool Close() {
    if (!IsValid()) return true;
    HANDLE handle = handle_;
    handle_ = nullptr;
    return ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace veltrim::platform
