#include "front/qt/about_box.h"

#include <algorithm>

#include <QLabel>
#include <QPushButton>

#include "front/common/window_layout.h"
#include "front/qt/dialog_units.h"
#include "front/qt/station_icon.h"
#include "texts/catalogue.h"

namespace quillon::qt {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(QString::fromUtf8(Tr(kAboutCaption)));
  setWindowIcon(StationIcon());
  setFont(DialogFont());
  const DialogUnits units = DialogUnits::ForFont(font());
  const QRect size = units.ToPixels(kAboutBoxSize);
  setFixedSize(size.width(), size.height());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto* icon = new QLabel(this);
  const QRect iconRect = units.ToPixels(kAboutIconRect);
  // The icon keeps its 32-pixel drawing; the box only reserves its place.
  icon->setPixmap(StationIcon().pixmap(32, 32));
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  icon->setGeometry(iconRect.x(), iconRect.y(), std::max(iconRect.width(), 32),
                    std::max(iconRect.height(), 32));

  auto* version = new QLabel(QString::fromUtf8(Tr(kAboutVersionText)), this);
  version->setObjectName(QStringLiteral("aboutVersion"));
  version->setGeometry(units.ToPixels(kAboutVersionRect));

  auto* notice = new QLabel(QString::fromUtf8(Tr(kAboutNoticeText)), this);
  notice->setObjectName(QStringLiteral("aboutNotice"));
  notice->setGeometry(units.ToPixels(kAboutNoticeRect));

  auto* ok = new QPushButton(QString::fromUtf8(Tr(kAboutOkText)), this);
  ok->setObjectName(QStringLiteral("aboutOk"));
  ok->setGeometry(units.ToPixels(kAboutOkRect));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace quillon::qt
