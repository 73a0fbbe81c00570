#include "front/qt/line_settings_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "front/common/line_settings_text.h"
#include "front/common/package_buttons.h"
#include "texts/catalogue.h"

namespace quillon::qt {
namespace {

QString Text(const char* translated) {
  return QString::fromUtf8(translated);
}

}  // namespace

std::optional<LineProfile> EditLineSettings(QWidget* parent, const LineProfile& profile) {
  QDialog dialog(parent);
  dialog.setWindowTitle(Text(Tr("Production line settings")));
  auto* form = new QFormLayout;
  auto* package = new QComboBox;
  for (const PackageButton& button : Packages()) package->addItem(QString::fromUtf8(button.name));
  package->setCurrentText(QString::fromStdString(profile.package));
  auto* station = new QLineEdit(QString::fromStdString(profile.station));
  auto* log = new QLineEdit(QString::fromStdString(profile.log));
  auto* slots = new QPlainTextEdit(QString::fromStdString(SlotsText(profile.slots)));
  auto* pin = new QLineEdit;
  pin->setEchoMode(QLineEdit::Password);
  auto* repeat = new QLineEdit;
  repeat->setEchoMode(QLineEdit::Password);
  form->addRow(Text(Tr("Package:")), package);
  form->addRow(Text(Tr("Station's name:")), station);
  form->addRow(Text(Tr("Log file:")), log);
  form->addRow(Text(Tr("Slots (a port and its label a line):")), slots);
  form->addRow(Text(Tr("New PIN (empty: unchanged):")), pin);
  form->addRow(Text(Tr("New PIN again:")), repeat);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const Result<LineProfile> changed =
        ChangedProfile(profile, {package->currentText().toStdString(), station->text().toStdString(),
                                 log->text().toStdString(), slots->toPlainText().toStdString(),
                                 pin->text().toStdString(), repeat->text().toStdString()});
    if (changed) return *changed;
    QMessageBox::warning(&dialog, dialog.windowTitle(), QString::fromStdString(changed.Failure().words));
  }
}

}  // namespace quillon::qt
