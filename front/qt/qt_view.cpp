#include "front/qt/qt_view.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMetaObject>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QThread>

#include "front/common/check_lines.h"
#include "front/common/window_layout.h"
#include "front/qt/about_box.h"
#include "front/qt/check_dialog.h"
#include "front/qt/dialog_units.h"
#include "front/qt/sound_player.h"
#include "front/qt/station_icon.h"
#include "station/quillon_app.h"
#include "station/quillon_dlg.h"
#include "texts/catalogue.h"

namespace quillon::qt {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ControlName(const ControlLayout& control) {
  if (control.id == kNoControlId) return QString::fromLatin1(control.name);
  return QStringLiteral("control%1").arg(control.id);
}

}  // namespace

QtView::QtView() {
  // A fixed frame with a title, a system menu and a minimise box, but no maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setObjectName(QStringLiteral("quillonWindow"));
  setWindowTitle(QStringLiteral("Quillon"));
  setWindowIcon(StationIcon());
  setFont(DialogFont());
  const QRect size = DialogUnits::ForFont(font()).ToPixels(kMainWindowSize);
  setFixedSize(size.width(), size.height());
  BuildControls();
  BuildAboutEntry();
  BuildLineEntry();
}

QtView::~QtView() = default;

void QtView::BuildControls() {
  const DialogUnits units = DialogUnits::ForFont(font());
  QWidget* previousFocusable = nullptr;
  QWidget* frame = nullptr;
  for (const ControlLayout& control : kMainWindowControls) {
    const QString caption = QString::fromUtf8(Tr(control.caption));
    QWidget* widget = nullptr;
    switch (control.kind) {
      case ControlKind::kPushButton: {
        auto* button = new QPushButton(caption, this);
        const int id = control.id;
        connect(button, &QPushButton::clicked, this, [this, id] { PostClick(id); });
        widget = button;
        break;
      }
      case ControlKind::kProgressBar: {
        m_progress = new QProgressBar(this);
        m_progress->setRange(0, kProgressUpper);
        m_progress->setValue(0);
        m_progress->setTextVisible(false);
        widget = m_progress;
        break;
      }
      case ControlKind::kGroupBox:
        frame = new QGroupBox(caption, this);
        widget = frame;
        break;
      case ControlKind::kSlider: {
        m_slider = new QSlider(Qt::Vertical, this);
        m_slider->setRange(0, kSliderUpper);
        // Qt puts a vertical slider's minimum at the bottom; the fastest speed, 0, belongs at the top
        // beside its label, and the arrow keys must move the way the handle looks.
        m_slider->setInvertedAppearance(true);
        m_slider->setInvertedControls(true);
        m_slider->setTickPosition(QSlider::NoTicks);
        m_slider->setFocusPolicy(Qt::StrongFocus);
        // The model's own updates are applied with signals blocked, so only the operator's moves arrive.
        connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
          if (m_app != nullptr) m_app->PostSliderMoved(value);
        });
        widget = m_slider;
        break;
      }
      case ControlKind::kStatusLine: {
        m_linkStatus = new QLabel(caption, this);
        m_linkStatus->setAlignment(Qt::AlignCenter);
        m_linkStatus->setWordWrap(true);
        // Long advice (the dialout group) wraps into a smaller font rather than being cut off.
        QFont font = m_linkStatus->font();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        m_linkStatus->setFont(font);
        widget = m_linkStatus;
        break;
      }
      case ControlKind::kLabelLeft:
      case ControlKind::kLabelRight: {
        auto* label = new QLabel(caption, this);
        label->setAlignment((control.kind == ControlKind::kLabelLeft ? Qt::AlignLeft : Qt::AlignRight) |
                            Qt::AlignVCenter);
        widget = label;
        break;
      }
    }
    widget->setObjectName(ControlName(control));
    widget->setProperty("controlId", control.id);
    widget->setGeometry(units.ToPixels(control.rect));
    if (control.id != kNoControlId) m_controls[control.id] = widget;
    if (widget->focusPolicy() & Qt::TabFocus) {
      if (previousFocusable != nullptr) QWidget::setTabOrder(previousFocusable, widget);
      previousFocusable = widget;
    }
  }
  // The frame is created among the controls it encloses; behind them it must not catch their clicks.
  if (frame != nullptr) frame->lower();
  // As the window first appears, before the model has spoken: the English colour button starts disabled.
  m_controls.at(kIdWriteColour240English)->setEnabled(false);
}

void QtView::BuildAboutEntry() {
  m_aboutAction = new QAction(QString::fromUtf8(Tr(kAboutMenuText)), this);
  m_aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
  m_aboutAction->setShortcutContext(Qt::WindowShortcut);
  connect(m_aboutAction, &QAction::triggered, this, [this] {
    if (m_app != nullptr) m_app->PostSystemCommand(kIdAboutCommand);
  });
  addAction(m_aboutAction);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void QtView::BuildLineEntry() {
  // The production view is a station of its own: it is started, and this window ends, so that the
  // line's slots find their ports free.
  m_lineAction = new QAction(QString::fromUtf8(Tr("Production line...")), this);
  connect(m_lineAction, &QAction::triggered, this, [this] {
    const QStringList arguments{"--line", "--lang", CurrentLanguage() == Language::kEnglish ? "en" : "zh"};
    if (QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments)) PostClick(kIdExit);
  });
  addAction(m_lineAction);
}

void QtView::OfferStationCheck(std::function<std::string()> check) {
  m_checkAction = new QAction(QString::fromUtf8(Tr(kCheckStationMenuText)), this);
  connect(m_checkAction, &QAction::triggered, this, [this, check = std::move(check)] {
    if (m_ended) return;
    if (m_checkBox == nullptr) {
      auto* box = new CheckDialog(this, check);
      box->setAttribute(Qt::WA_DeleteOnClose);
      m_checkBox = box;
    }
    m_checkBox->show();
    m_checkBox->raise();
  });
  // Beside About, before the production line's entry.
  insertAction(m_lineAction, m_checkAction);
}

QWidget* QtView::Control(int controlId) const {
  const auto found = m_controls.find(controlId);
  return found != m_controls.end() ? found->second : nullptr;
}

void QtView::RunOnQtThread(std::function<void()> task) {
  // Queued even on Qt's own thread, so changes are shown in the order the model made them.
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtView::PostClick(int controlId) {
  if (m_app != nullptr && !m_ended) m_app->PostClick(controlId);
}

void QtView::ShowTitle(const std::string& title) {
  RunOnQtThread([this, text = FromUtf8(title)] { setWindowTitle(text); });
}

void QtView::ShowControlEnabled(int controlId, bool enabled) {
  RunOnQtThread([this, controlId, enabled] {
    if (QWidget* control = Control(controlId)) control->setEnabled(enabled);
    // The model enables a button only once the station can take the job: the click posted now follows
    // the enabling on the dialog thread and starts it.
    if (enabled && controlId == m_pressWhenEnabled && m_app != nullptr &&
        m_app->Dialog().JobsStarted() == 0) {
      PostClick(controlId);
    }
  });
}

void QtView::ShowProgress(int position) {
  RunOnQtThread([this, position] { m_progress->setValue(position); });
}

void QtView::ShowSlider(int position) {
  RunOnQtThread([this, position] {
    // While the operator drags, the handle follows the mouse; the model's echoes of the drag would
    // only make it jitter, and the last one matches where the handle is let go.
    if (m_slider->isSliderDown()) return;
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(position);
  });
}

void QtView::ShowLinkStatus(const std::string& text) {
  RunOnQtThread([this, status = FromUtf8(text)] {
    m_linkStatus->setText(status);
    m_linkStatus->setToolTip(status);
  });
}

void QtView::ShowMessageBox(const std::string& text, const std::string& title, MessageIcon icon) {
  auto show = [this, body = FromUtf8(text), caption = FromUtf8(title), icon] {
    QMessageBox box(icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::Information, caption,
                    body, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
  };
  if (QThread::currentThread() == thread()) {
    show();
    return;
  }
  QMetaObject::invokeMethod(this, show, Qt::BlockingQueuedConnection);
}

void QtView::PlaySoundFile(const std::string& path) {
  RunOnQtThread([file = FromUtf8(path)] { PlaySound(file); });
}

void QtView::ShowAboutBox() {
  RunOnQtThread([this] { OpenAboutBox(); });
}

void QtView::OpenAboutBox() {
  if (m_ended) return;
  if (m_aboutBox != nullptr) {
    m_aboutBox->raise();
    m_aboutBox->activateWindow();
    return;
  }
  // Shown modal without a nested event loop: the window's updates keep arriving behind it.
  auto* box = new AboutBox(this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  m_aboutBox = box;
  box->show();
}

void QtView::EndDialog() {
  RunOnQtThread([this] { Close(); });
}

void QtView::Close() {
  if (m_ended) return;
  m_ended = true;
  if (m_aboutBox != nullptr) m_aboutBox->close();
  if (m_checkBox != nullptr) m_checkBox->close();
  QDialog::reject();
  if (m_onEnded) m_onEnded();
}

void QtView::reject() {
  if (m_ended) {
    QDialog::reject();
    return;
  }
  PostClick(kIdExit);
}

}  // namespace quillon::qt
