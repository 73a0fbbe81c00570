#include "front/win32/png_writer.h"

#include <wincodec.h>

namespace quillon::win32 {
namespace {

// One COM interface, released when it goes.
template <typename Interface>
class ComHeld {
 public:
  ComHeld() = default;
  ComHeld(const ComHeld&) = delete;
  ComHeld& operator=(const ComHeld&) = delete;
  ~ComHeld() {
    if (m_interface != nullptr) m_interface->Release();
  }

  Interface** Out() { return &m_interface; }
  Interface* Get() const { return m_interface; }
  Interface* operator->() const { return m_interface; }

 private:
  Interface* m_interface = nullptr;
};

// COM on this thread for as long as it is held. A thread that already has it in the other apartment
// kind (RPC_E_CHANGED_MODE) may use it as it is, and must not give it up here.
class ComOnThisThread {
 public:
  ComOnThisThread() : m_started(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComOnThisThread(const ComOnThisThread&) = delete;
  ComOnThisThread& operator=(const ComOnThisThread&) = delete;
  ~ComOnThisThread() {
    if (SUCCEEDED(m_started)) ::CoUninitialize();
  }

  bool Usable() const { return SUCCEEDED(m_started) || m_started == RPC_E_CHANGED_MODE; }

 private:
  HRESULT m_started;
};

}  // namespace

bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path) {
  const ComOnThisThread com;
  if (!com.Usable()) return false;
  // Released in the reverse order, the file closed with its stream, before COM goes.
  ComHeld<IWICImagingFactory> factory;
  ComHeld<IWICBitmap> source;
  ComHeld<IWICFormatConverter> pixels;
  ComHeld<IWICStream> file;
  ComHeld<IWICBitmapEncoder> encoder;
  ComHeld<IWICBitmapFrameEncode> frame;
  UINT width = 0;
  UINT height = 0;
  // The frame takes the format it is offered only if PNG has it: 24-bit BGR it has, so the converter
  // hands over exactly that, whatever the bitmap's depth.
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()))) &&
         SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.Out())) &&
         SUCCEEDED(source->GetSize(&width, &height)) &&
         SUCCEEDED(factory->CreateFormatConverter(pixels.Out())) &&
         SUCCEEDED(pixels->Initialize(source.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                      nullptr, 0.0, WICBitmapPaletteTypeCustom)) &&
         SUCCEEDED(factory->CreateStream(file.Out())) &&
         SUCCEEDED(file->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) &&
         SUCCEEDED(encoder->Initialize(file.Get(), WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder->CreateNewFrame(frame.Out(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
         SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
         IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
         SUCCEEDED(frame->WriteSource(pixels.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
         SUCCEEDED(encoder->Commit());
}

}  // namespace quillon::win32
