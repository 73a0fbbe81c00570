// The window's "Check this station…" box: the lines of the station's check of itself, shown as soon as
// the check, run on a thread of its own, has them.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <thread>

class QPlainTextEdit;

namespace quillon::qt {

class CheckDialog : public QDialog {
 public:
  // `check` gives the lines; it runs on a thread of the box's own, which the box waits for as it goes.
  CheckDialog(QWidget* parent, std::function<std::string()> check);
  ~CheckDialog() override;
  CheckDialog(const CheckDialog&) = delete;
  CheckDialog& operator=(const CheckDialog&) = delete;

  QString Lines() const;

 private:
  QPlainTextEdit* m_lines = nullptr;
  std::thread m_check;
};

}  // namespace quillon::qt
