// quillon-line-sample: the Qt production view of a sample line of eight slots, as a PNG image, in the
// language given (--lang en|zh).
#include <QApplication>

#include "front/qt/line_panel.h"
#include "texts/catalogue.h"
#include "tools/linesample/line_sample.h"

int main(int argc, char** argv) {
  using namespace quillon;
  const std::optional<std::string> file = SampleArguments(argc, argv);
  if (!file) return 2;
  QApplication application(argc, argv);
  const std::unique_ptr<LineModel> model = SampleLine("/dev/ttyUSB");
  qt::LinePanel panel;
  panel.resize(1366, 720);
  panel.Show(model.get());
  return panel.grab().save(QString::fromLocal8Bit(file->c_str()), "PNG") ? 0 : 1;
}
