#include "toolkit/Picture.h"

#include <ole2.h>
#include <wincodec.h>

#include "sys/Handle.h"
#include "sys/Syslibrary.h"
#include "toolkit/Dpi.h"

namespace {
// The library's GUID objects would need its import library: the values, as wincodec.h gives them.
const CLSID kImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const IID kImagingFactoryIid = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kFormat32bppBgr = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0e}};

// The interfaces of one decoding, released together at its end.
struct Decoding {
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converted = nullptr;
  IWICBitmapScaler* scaler = nullptr;
  Decoding() = default;
  Decoding(const Decoding&) = delete;
  Decoding& operator=(const Decoding&) = delete;
  ~Decoding() {
    IUnknown* const all[] = {scaler, converted, frame, decoder, stream, factory};
    for (IUnknown* p : all)
      if (p) p->Release();
  }
};

// COM for the length of one decoding, where this thread has none yet.
class ComScope {
public:
  ComScope() {
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    auto init = GetSystemProc<decltype(&::CoInitialize)>(ole, "CoInitialize");
    uninit_ = GetSystemProc<decltype(&::CoUninitialize)>(ole, "CoUninitialize");
    create_ = GetSystemProc<decltype(&::CoCreateInstance)>(ole, "CoCreateInstance");
    HRESULT hr = init && uninit_ && create_ ? init(nullptr) : E_FAIL;
    usable_ = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    if (FAILED(hr)) uninit_ = nullptr;
  }
  ~ComScope() {
    if (uninit_) uninit_();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Create(const CLSID& clsid, const IID& iid, void** out) const {
    return usable_ && SUCCEEDED(create_(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, out));
  }

private:
  decltype(&::CoUninitialize) uninit_ = nullptr;
  decltype(&::CoCreateInstance) create_ = nullptr;
  bool usable_ = false;
};

// A top-down 32-bit DIB section of that size, and its pixels.
HBITMAP NewBitmap(int width, int height, void** bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  return ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

const TPictureScale* Drawing(const TPictureSource& source, int dpi) {
  if (dpi <= kLayoutDpi || source.count <= 0) return nullptr;
  for (int i = 0; i < source.count; ++i)
    if (source.scales[i].dpi >= dpi) return &source.scales[i];
  return &source.scales[source.count - 1];
}
}  // namespace

HBITMAP DecodePicture(const void* data, DWORD size, int width, int height) {
  if (!data || width <= 0 || height <= 0) return nullptr;
  ComScope com;
  Decoding d;
  UINT w = 0, h = 0;
  if (!com.Create(kImagingFactory, kImagingFactoryIid, reinterpret_cast<void**>(&d.factory)) ||
      FAILED(d.factory->CreateStream(&d.stream)) ||
      // Only read from: the resource stays as it is.
      FAILED(d.stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
      FAILED(d.factory->CreateDecoderFromStream(d.stream, nullptr, WICDecodeMetadataCacheOnDemand, &d.decoder)) ||
      FAILED(d.decoder->GetFrame(0, &d.frame)) || FAILED(d.frame->GetSize(&w, &h)) ||
      FAILED(d.factory->CreateFormatConverter(&d.converted)) ||
      FAILED(d.converted->Initialize(d.frame, kFormat32bppBgr, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
    return nullptr;
  IWICBitmapSource* pixels = d.converted;
  if (w != static_cast<UINT>(width) || h != static_cast<UINT>(height)) {
    // Fant averages the area of each pixel when reducing; enlarging, cubic keeps edges firmer.
    const bool reduce = static_cast<UINT>(width) < w;
    if (FAILED(d.factory->CreateBitmapScaler(&d.scaler)) ||
        FAILED(d.scaler->Initialize(d.converted, width, height,
                                    reduce ? WICBitmapInterpolationModeFant : WICBitmapInterpolationModeCubic)))
      return nullptr;
    pixels = d.scaler;
  }
  void* bits = nullptr;
  UniqueBitmap bitmap(NewBitmap(width, height, &bits));
  const UINT stride = static_cast<UINT>(width) * 4;
  if (!bitmap || FAILED(pixels->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                           static_cast<BYTE*>(bits))))
    return nullptr;
  return bitmap.Release();
}

HBITMAP StretchPicture(HBITMAP source, int width, int height) {
  BITMAP info = {};
  if (!source || !::GetObjectA(source, sizeof info, &info)) return nullptr;
  void* bits = nullptr;
  UniqueBitmap bitmap(NewBitmap(width, height, &bits));
  UniqueMemDc from(::CreateCompatibleDC(nullptr)), to(::CreateCompatibleDC(nullptr));
  if (!bitmap || !from || !to) return nullptr;
  SelectedObject selFrom(from.Get(), source), selTo(to.Get(), bitmap.Get());
  if (!::SetStretchBltMode(to.Get(), HALFTONE)) ::SetStretchBltMode(to.Get(), COLORONCOLOR);
  ::SetBrushOrgEx(to.Get(), 0, 0, nullptr);   // as HALFTONE requires
  if (!::StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY))
    return nullptr;
  return bitmap.Release();
}

HBITMAP LoadPicture(const TPictureSource& source, int dpi) {
  UniqueBitmap base(static_cast<HBITMAP>(
      ::LoadImageA(source.instance, source.bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP info = {};
  if (!base || dpi == kLayoutDpi || !::GetObjectA(base.Get(), sizeof info, &info)) return base.Release();
  const int width = ScaleForDpi(info.bmWidth, dpi), height = ScaleForDpi(info.bmHeight, dpi);
  if (const TPictureScale* drawing = Drawing(source, dpi)) {
    HRSRC found = ::FindResourceA(source.instance, drawing->resource, RT_RCDATA);
    HGLOBAL loaded = found ? ::LoadResource(source.instance, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = data ? ::SizeofResource(source.instance, found) : 0;
    if (HBITMAP decoded = DecodePicture(data, size, width, height)) return decoded;
  }
  return StretchPicture(base.Get(), width, height);
}
