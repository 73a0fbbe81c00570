// quillon-line-sample: the Qt production view of a sample line of eight slots, as a PNG image, in the
// language given (--lang en|zh).
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "front/qt/line_panel.h"
#include "texts/catalogue.h"
#include "tools/linesample/line_sample.h"

namespace {

class NoView : public quillon::LineView {
 public:
  void LineChanged() override {}
  void PlayResultSound(bool) override {}
};

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
  QApplication application(argc, argv);
  NoView view;
  const std::unique_ptr<LineModel> model = SampleLine(view, "/dev/ttyUSB");
  qt::LinePanel panel;
  panel.resize(1366, 720);
  panel.Show(model.get());
  return panel.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
