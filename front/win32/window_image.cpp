#include "front/win32/window_image.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "front/win32/png_file.h"

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
struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
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
  header.biHeight = height;  // bottom-up, as BMP files store their rows
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

  // The bitmap's rows are bottom-up, blue before red, padded to four bytes.
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const auto* bits = static_cast<const std::uint8_t*>(pixels);
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height));
  for (int y = height - 1; y >= 0; --y) {
    const std::uint8_t* row = bits + rowBytes * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  const std::vector<std::uint8_t> png = PngFile(width, height, rgb);

  std::unique_ptr<std::FILE, FileClose> file(::_wfopen(path.c_str(), L"wb"));
  if (!file) return false;
  const bool written = std::fwrite(png.data(), png.size(), 1, file.get()) == 1;
  // The last bytes reach the file only as it closes.
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace quillon::win32
