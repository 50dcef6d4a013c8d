// Owners of the system's resources: each is released exactly once, when its owner goes or is
// given another, and an owner can be moved but not copied. Every resource the program takes
// is held by one of these from the moment it is taken.
#pragma once

#include <type_traits>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>
#endif

namespace veltrim::platform {

template <typename Traits, typename = void>
struct HasIsSet : std::false_type {};
template <typename Traits>
struct HasIsSet<Traits, std::void_t<decltype(&Traits::IsSet)>> : std::true_type {};

// `Traits` gives the resource's type as `Value`, the value that owns nothing as `kNone`, and
// `bool Free(Value)`, false when releasing failed with the error left where the system leaves it.
// `IsSet` may be given as well where more than one value means "none".
template <typename Traits>
class Scoped {
 public:
  using Value = typename Traits::Value;

  Scoped() noexcept = default;
  explicit Scoped(Value value) noexcept : value_(value) {}
  Scoped(Scoped&& other) noexcept : value_(other.Release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  ~Scoped() { Reset(); }

  Value Get() const noexcept { return value_; }
  bool IsSet() const noexcept { return IsSet(value_); }

  // Gives up ownership without releasing.
  Value Release() noexcept { return std::exchange(value_, Traits::kNone); }

  void Reset(Value value = Traits::kNone) noexcept {
    Value old = std::exchange(value_, value);
    if (IsSet(old)) Traits::Free(old);
  }

  // Releases now, for the callers to whom a failure to release matters (a file just written).
  bool Free() noexcept {
    if (!IsSet()) return true;
    return Traits::Free(Release());
  }

  // For a function that fills a resource in: what is held is released first.
  Value* Out() noexcept {
    Reset();
    return &value_;
  }

 private:
  static bool IsSet(Value value) noexcept {
    if constexpr (HasIsSet<Traits>::value) {
      return Traits::IsSet(value);
    } else {
      return value != Traits::kNone;
    }
  }

  Value value_ = Traits::kNone;
};

#ifdef _WIN32

struct KernelHandleTraits {
  using Value = HANDLE;
  static constexpr Value kNone = nullptr;
  // CreateFile answers INVALID_HANDLE_VALUE for none, most other functions NULL.
  static bool IsSet(Value handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static bool Free(Value handle) { return ::CloseHandle(handle) != FALSE; }
};
using ScopedHandle = Scoped<KernelHandleTraits>;

struct FindHandleTraits {
  using Value = HANDLE;
  static constexpr Value kNone = nullptr;
  static bool IsSet(Value search) { return KernelHandleTraits::IsSet(search); }
  static bool Free(Value search) { return ::FindClose(search) != FALSE; }
};
using ScopedFind = Scoped<FindHandleTraits>;

// A resource that null means none of, released by `Release`, which answers nonzero on success
// or nothing.
template <typename T, auto Release>
struct ReleasedBy {
  using Value = T;
  static constexpr Value kNone = nullptr;
  static bool Free(Value value) {
    if constexpr (std::is_void_v<decltype(Release(value))>) {
      Release(value);
      return true;
    } else {
      return Release(value) != 0;
    }
  }
};
using ScopedFont = Scoped<ReleasedBy<HFONT, &::DeleteObject>>;
using ScopedBitmap = Scoped<ReleasedBy<HBITMAP, &::DeleteObject>>;
// A device context of CreateCompatibleDC.
using ScopedMemoryDc = Scoped<ReleasedBy<HDC, &::DeleteDC>>;
// Memory that COM and the shell hand out.
template <typename Pointer>
using ScopedCoTaskMemory = Scoped<ReleasedBy<Pointer, &::CoTaskMemFree>>;
using ScopedBstr = Scoped<ReleasedBy<BSTR, &::SysFreeString>>;
// A DLL loaded by LoadLibraryEx.
using ScopedLibrary = Scoped<ReleasedBy<HMODULE, &::FreeLibrary>>;

// A function of a DLL loaded at run time, as the type it is called through; null where the DLL
// has no such function.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

#ifdef _WS2TCPIP_H_  // only where the sockets API is included, which comes before windows.h
using ScopedAddrInfo = Scoped<ReleasedBy<PADDRINFOW, &::FreeAddrInfoW>>;

// Windows Sockets for one scope; cleaned up only if this scope started them.
class ScopedWinsock {
 public:
  ScopedWinsock() {
    WSADATA version;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &version) == 0;
  }
  ScopedWinsock(const ScopedWinsock&) = delete;
  ScopedWinsock& operator=(const ScopedWinsock&) = delete;
  ~ScopedWinsock() {
    if (started_) ::WSACleanup();
  }
  bool Started() const { return started_; }

 private:
  bool started_ = false;
};
#endif

#ifdef _WINDNS_INCLUDED_  // only where windns.h is included, after windows.h
// A record list of DnsQuery, given back through the DnsFree of the dnsapi.dll that answered,
// which the program finds at run time rather than importing.
class ScopedDnsRecords {
 public:
  using Free = VOID(WINAPI*)(PVOID, DNS_FREE_TYPE);
  explicit ScopedDnsRecords(Free free) noexcept : free_(free) {}
  ScopedDnsRecords(const ScopedDnsRecords&) = delete;
  ScopedDnsRecords& operator=(const ScopedDnsRecords&) = delete;
  ~ScopedDnsRecords() { Reset(); }
  const DNS_RECORDW* Get() const noexcept { return records_; }
  // For a query that fills a list in: what is held is given back first.
  DNS_RECORDW** Out() noexcept {
    Reset();
    return &records_;
  }

 private:
  void Reset() noexcept {
    if (records_ != nullptr) free_(std::exchange(records_, nullptr), DnsFreeRecordList);
  }

  Free free_;
  DNS_RECORDW* records_ = nullptr;
};
#endif

#ifdef __WINE_WINHTTP_H  // only where winhttp.h is included, after windows.h
// A handle of WinHTTP, closed through the WinHttpCloseHandle of the winhttp.dll that gave it,
// which the program finds at run time rather than importing.
class ScopedWinHttp {
 public:
  using Close = BOOL(WINAPI*)(HINTERNET);
  ScopedWinHttp(Close close, HINTERNET handle) noexcept : close_(close), handle_(handle) {}
  ScopedWinHttp(const ScopedWinHttp&) = delete;
  ScopedWinHttp& operator=(const ScopedWinHttp&) = delete;
  ~ScopedWinHttp() {
    if (handle_ != nullptr) close_(handle_);
  }
  HINTERNET Get() const noexcept { return handle_; }

 private:
  Close close_;
  HINTERNET handle_;
};
#endif

// Memory of LocalAlloc, which many system functions hand out; LocalFree answers null on success.
template <typename Pointer>
struct LocalMemoryTraits {
  using Value = Pointer;
  static constexpr Value kNone = nullptr;
  static bool Free(Value memory) { return ::LocalFree(memory) == nullptr; }
};
template <typename Pointer>
using ScopedLocal = Scoped<LocalMemoryTraits<Pointer>>;

// A window's device context of GetDC, given back to the same window.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Painting of one WM_PAINT.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { ::EndPaint(window_, &paint_); }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

// An object selected into a device context for one scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A COM interface pointer.
template <typename Interface>
struct ComTraits {
  using Value = Interface*;
  static constexpr Value kNone = nullptr;
  static bool Free(Value object) {
    object->Release();
    return true;
  }
};
template <typename Interface>
class ComPtr : public Scoped<ComTraits<Interface>> {
 public:
  using Scoped<ComTraits<Interface>>::Scoped;
  Interface* operator->() const { return this->Get(); }
  void** OutVoid() { return reinterpret_cast<void**>(this->Out()); }
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

#endif

}  // namespace veltrim::platform
