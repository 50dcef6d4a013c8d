#include "Resources.h"

#include <wincodec.h>

#include <vector>

#include "Win32Error.h"

namespace veltrim::shell {

namespace {

// Holds a COM interface pointer and releases it.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Interface* operator->() const { return pointer_; }
  Interface* Get() const { return pointer_; }
  Interface** Out() { return &pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// COM for one scope; uninitialised only if this scope initialised it.
class ScopedCom {
 public:
  ScopedCom() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;
  ~ScopedCom() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }

 private:
  HRESULT result_;
};

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) platform::ThrowError(static_cast<DWORD>(result), what, "the banner picture");
}

}  // namespace

std::string ProgramVersion() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, static_cast<DWORD>(std::size(path)));
  if (length == 0 || length == std::size(path)) platform::ThrowLastError("find", "the program");
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) platform::ThrowLastError("read the version of", path);
  std::vector<char> data(size);
  if (!::GetFileVersionInfoA(path, 0, size, data.data())) {
    platform::ThrowLastError("read the version of", path);
  }
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) ||
      infoSize < sizeof(*info)) {
    platform::ThrowError(ERROR_RESOURCE_TYPE_NOT_FOUND, "read the version of", path);
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS));
}

HBITMAP LoadJpegResource(int id) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
  void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr) platform::ThrowLastError("load", "the banner picture");
  DWORD size = ::SizeofResource(module, found);

  ScopedCom com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())),
        "start the picture decoder for");
  ComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.Out()), "read");
  Check(stream->InitializeFromMemory(static_cast<BYTE*>(bytes), size), "read");
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                         decoder.Out()),
        "decode");
  ComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Out()), "decode");
  ComPtr<IWICBitmapSource> converted;
  Check(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.Get(), converted.Out()),
        "convert");
  UINT width = 0;
  UINT height = 0;
  Check(converted->GetSize(&width, &height), "decode");

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap == nullptr) platform::ThrowLastError("make a bitmap of", "the banner picture");
  HRESULT copied =
      converted->CopyPixels(nullptr, width * 4, width * 4 * height, static_cast<BYTE*>(pixels));
  if (SUCCEEDED(copied)) return bitmap;
  ::DeleteObject(bitmap);
  Check(copied, "decode");  // throws
  return nullptr;
}

}  // namespace veltrim::shell
