#include "front/win32/window_image.h"

#include <memory>
#include <type_traits>

#include "front/win32/png_writer.h"

namespace quillon::win32 {
namespace {

struct WindowDcRelease {
  HWND window;
  void operator()(HDC dc) const { ::ReleaseDC(window, dc); }
};
struct DcDelete {
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct ObjectDelete {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};

}  // namespace

bool SaveWindowImage(HWND window, const std::wstring& path) {
  ::RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return false;

  const std::unique_ptr<std::remove_pointer_t<HDC>, WindowDcRelease> windowDc(::GetWindowDC(window),
                                                                              WindowDcRelease{window});
  const std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete> memoryDc(::CreateCompatibleDC(windowDc.get()));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  void* pixels = nullptr;
  const std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDelete> bitmap(::CreateDIBSection(
      memoryDc.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || pixels == nullptr) return false;
  const HGDIOBJ previous = ::SelectObject(memoryDc.get(), bitmap.get());
  ::BitBlt(memoryDc.get(), 0, 0, width, height, windowDc.get(), 0, 0, SRCCOPY);
  ::GdiFlush();
  ::SelectObject(memoryDc.get(), previous);
  return SaveBitmapAsPng(bitmap.get(), path);
}

}  // namespace quillon::win32
