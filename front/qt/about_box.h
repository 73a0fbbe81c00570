// The About box: the icon, the version and the station's notice, dismissed with its OK button.
#pragma once

#include <QDialog>

namespace quillon::qt {

class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* parent);
};

}  // namespace quillon::qt
