// What the production view shows, drawn with Qt: the header, the banner while the settings are open,
// and a tile per slot, as front/common/line_look.h lays them out. It draws a model and knows nothing of
// the line that drives it, so a model given scripted events draws the same.
#pragma once

#include <QWidget>
#include <string>

#include "line/line_model.h"

namespace quillon::qt {

class LinePanel : public QWidget {
 public:
  explicit LinePanel(QWidget* parent = nullptr);

  // The model to draw, or none with why there is no line; on Qt's thread.
  void Show(const LineModel* model, const std::string& problem = {});

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const LineModel* m_model = nullptr;
  std::string m_problem;
};

}  // namespace quillon::qt
