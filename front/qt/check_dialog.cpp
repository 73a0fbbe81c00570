#include "front/qt/check_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "front/common/check_lines.h"
#include "texts/catalogue.h"

namespace quillon::qt {

CheckDialog::CheckDialog(QWidget* parent, std::function<std::string()> check) : QDialog(parent) {
  setObjectName(QStringLiteral("checkDialog"));
  setWindowTitle(QString::fromUtf8(Tr(kCheckStationTitle)));
  auto* layout = new QVBoxLayout(this);
  m_lines = new QPlainTextEdit(QString::fromUtf8(Tr(kCheckingText)), this);
  m_lines->setObjectName(QStringLiteral("checkLines"));
  m_lines->setReadOnly(true);
  m_lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  layout->addWidget(m_lines);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(720, 360);
  // A queued call to a box that has gone by then is dropped with it.
  m_check = std::thread([this, check = std::move(check)] {
    const QString lines = QString::fromUtf8(check());
    QMetaObject::invokeMethod(
        this, [this, lines] { m_lines->setPlainText(lines); }, Qt::QueuedConnection);
  });
}

CheckDialog::~CheckDialog() {
  if (m_check.joinable()) m_check.join();
}

QString CheckDialog::Lines() const {
  return m_lines->toPlainText();
}

}  // namespace quillon::qt
