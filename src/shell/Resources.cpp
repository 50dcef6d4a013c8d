#include "Resources.h"

#include <wincodec.h>

#include "Scoped.h"
#include "Version.h"
#include "Win32Error.h"

namespace veltrim::shell {

namespace {

using platform::ComPtr;

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) platform::ThrowError(static_cast<DWORD>(result), what, "the banner picture");
}

}  // namespace

std::string ProgramVersion() {
  return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

platform::ScopedBitmap LoadJpegResource(int id) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
  HGLOBAL loaded = found != nullptr ? ::LoadResource(module, found) : nullptr;
  void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr) platform::ThrowLastError("load", "the banner picture");
  DWORD size = ::SizeofResource(module, found);

  // The decoder comes through COM, from the system folder, not from an import of this program
  // that would be looked for beside it first.
  platform::ScopedCom com;
  ComPtr<IWICImagingFactory> factory;
  Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IWICImagingFactory, factory.OutVoid()),
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
  ComPtr<IWICFormatConverter> converted;
  Check(factory->CreateFormatConverter(converted.Out()), "convert");
  Check(converted->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom),
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
  platform::ScopedBitmap bitmap(
      ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap.IsSet()) platform::ThrowLastError("make a bitmap of", "the banner picture");
  Check(converted->CopyPixels(nullptr, width * 4, width * 4 * height, static_cast<BYTE*>(pixels)),
        "decode");
  return bitmap;
}

}  // namespace veltrim::shell
