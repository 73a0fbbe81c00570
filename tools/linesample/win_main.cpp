// quillon-line-sample.exe: the Windows production view of a sample line of eight slots, as a PNG image,
// in the language given (--lang en|zh).
#include <cstdio>

#include "front/win32/line_painting.h"
#include "front/win32/png_writer.h"
#include "link/os/wide_text.h"
#include "texts/catalogue.h"
#include "tools/linesample/line_sample.h"

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 720;

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  const std::optional<std::string> file = SampleArguments(argc, argv);
  if (!file) return 2;
  const std::unique_ptr<LineModel> model = SampleLine("COM");
  // Painted into a bitmap of its own, then saved once it is no device context's.
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ before = ::SelectObject(dc, bitmap);
  win32::PaintLine(dc, {0, 0, kWidth, kHeight}, model.get(), {});
  ::GdiFlush();
  ::SelectObject(dc, before);
  const bool saved = bitmap != nullptr && win32::SaveBitmapAsPng(bitmap, WideText(*file));
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  if (!saved) std::fprintf(stderr, "quillon-line-sample: cannot write %s\n", file->c_str());
  return saved ? 0 : 1;
}
