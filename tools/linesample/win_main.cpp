// quillon-line-sample.exe: the Windows production view of a sample line of eight slots, as a PNG image,
// in the language given (--lang en|zh).
#include <cstdio>
#include <cstring>
#include <fstream>

#include "front/win32/line_painting.h"
#include "front/win32/png_file.h"
#include "texts/catalogue.h"
#include "tools/linesample/line_sample.h"

namespace {

class NoView : public quillon::LineView {
 public:
  void LineChanged() override {}
  void PlayResultSound(bool) override {}
};

constexpr int kWidth = 1366;
constexpr int kHeight = 720;

}  // namespace

int main(int argc, char** argv) {
  using namespace quillon;
  if (argc != 4 || std::strcmp(argv[2], "--lang") != 0) {
    std::fprintf(stderr, "Usage: quillon-line-sample FILE.png --lang en|zh\n");
    return 2;
  }
  Language language = Language::kChinese;
  LanguageNamed(argv[3], language);
  SetLanguage(language);
  NoView view;
  const std::unique_ptr<LineModel> model = SampleLine(view, "COM");
  // Painted into a bitmap of the screen's kind, then its pixels read out top row first.
  const HDC screen = ::GetDC(nullptr);
  const HDC dc = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
  void* bits = nullptr;
  const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ before = ::SelectObject(dc, bitmap);
  win32::PaintLine(dc, {0, 0, kWidth, kHeight}, model.get(), {});
  ::GdiFlush();
  std::vector<std::uint8_t> rgb;
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  for (int i = 0; i < kWidth * kHeight; ++i) rgb.insert(rgb.end(), {pixels[4 * i + 2], pixels[4 * i + 1], pixels[4 * i]});
  ::SelectObject(dc, before);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  const std::vector<std::uint8_t> png = win32::PngFile(kWidth, kHeight, rgb);
  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return file ? 0 : 1;
}
