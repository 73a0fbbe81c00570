#include "front/qt/line_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "front/qt/line_panel.h"
#include "front/qt/line_settings_dialog.h"
#include "front/qt/sound_player.h"
#include "link/os/utf8_path.h"
#include "texts/catalogue.h"

namespace quillon::qt {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString SoundPath(const char* file) {
  return QString::fromStdString(Utf8FromPath(std::filesystem::current_path() / file));
}

}  // namespace

LineWindow::LineWindow(const LineProfile& profile, const LineOptions& options, std::function<void()> onEnded)
    : m_options(options), m_onEnded(std::move(onEnded)) {
  setWindowTitle(QString::fromUtf8(Tr("Production line")));
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(640, 480);
  m_settingsButton = new QPushButton(QString::fromUtf8(Tr("Settings...")));
  m_shiftButton = new QPushButton(QString::fromUtf8(Tr("New shift")));
  m_leaveButton = new QPushButton(QString::fromUtf8(Tr("Leave")));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {m_settingsButton, m_shiftButton, m_leaveButton}) {
    // The scanner's Enter belongs to the window, never to a button.
    button->setFocusPolicy(Qt::NoFocus);
    buttons->addWidget(button);
  }
  m_panel = new LinePanel;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 6);
  layout->addWidget(m_panel, 1);
  layout->addLayout(buttons);
  connect(m_settingsButton, &QPushButton::clicked, this,
          [this] { WithUnlocked([this] { EditSettings(); }); });
  connect(m_shiftButton, &QPushButton::clicked, this, [this] { WithUnlocked([this] { NewShift(); }); });
  connect(m_leaveButton, &QPushButton::clicked, this, [this] { WithUnlocked([this] { Leave(); }); });
  Open(profile);
  WatchForEnd();
}

LineWindow::~LineWindow() = default;

void LineWindow::Open(const LineProfile& profile) {
  m_profile = profile;
  Result<std::unique_ptr<LineController>> line = LineController::Open(profile, m_options, *this);
  if (!line) {
    m_openProblem = line.Failure().words;
    m_panel->Show(nullptr, m_openProblem);
    return;
  }
  m_openProblem.clear();
  m_line = std::move(*line);
  m_panel->Show(&m_line->Model());
}

void LineWindow::WatchForEnd() {
  // The line ends when asked to, after its units in hand; then it opens anew with new settings, or
  // the window goes.
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this] {
    if (!m_line || !m_line->Ended()) return;
    m_panel->Show(nullptr, Tr("The line has ended."));
    m_line.reset();
    if (m_reopenWith && !m_leaving) {
      Open(*std::exchange(m_reopenWith, std::nullopt));
      return;
    }
    if (m_onEnded) m_onEnded();
  });
  timer->start(100);
}

void LineWindow::LineChanged() {
  QMetaObject::invokeMethod(
      m_panel, [panel = m_panel] { panel->update(); }, Qt::QueuedConnection);
}

void LineWindow::PlayResultSound(bool passed) {
  QMetaObject::invokeMethod(
      this, [passed] { PlaySound(SoundPath(passed ? "FinishVoice.wav" : "ErrorVoice.wav")); },
      Qt::QueuedConnection);
}

void LineWindow::keyPressEvent(QKeyEvent* event) {
  // A scanner is a keyboard: a code, then Enter.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (m_line) m_line->Model().Scanned(std::exchange(m_scanned, {}));
    return;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint()) {
    m_scanned += text.toStdString();
    return;
  }
  QWidget::keyPressEvent(event);
}

void LineWindow::closeEvent(QCloseEvent* event) {
  // The window's close box is leaving the view, which the PIN guards; the line ends after its units.
  if (m_line && !m_leaving) {
    event->ignore();
    WithUnlocked([this] { Leave(); });
    return;
  }
  event->accept();
}

void LineWindow::WithUnlocked(const std::function<void()>& action) {
  if (!m_line) {
    action();
    return;
  }
  LineModel& model = m_line->Model();
  if (model.Locked()) {
    bool given = false;
    const QString pin = QInputDialog::getText(this, windowTitle(), QString::fromUtf8(Tr("Supervisor's PIN:")),
                                              QLineEdit::Password, {}, &given);
    if (!given) return;
    if (!model.Unlock(pin.toStdString())) {
      QMessageBox::warning(this, windowTitle(), QString::fromUtf8(Tr("That is not the supervisor's PIN.")));
      return;
    }
  }
  action();
  if (m_line) m_line->Model().Lock();
}

void LineWindow::EditSettings() {
  const std::optional<LineProfile> changed =
      EditLineSettings(this, m_line ? m_line->Model().Profile() : m_profile);
  if (!changed) return;
  if (Result<void> saved = SaveLineProfile(m_options.profilePath, *changed); !saved) {
    QMessageBox::warning(this, windowTitle(), Text(saved.Failure().words));
    return;
  }
  if (!m_line) {
    Open(*changed);
    return;
  }
  // The line starts anew with them once its units in hand are done.
  m_reopenWith = *changed;
  m_line->RequestEnd();
}

void LineWindow::NewShift() {
  if (!m_line) return;
  if (Result<void> started = m_line->Model().NewShift(); !started) {
    QMessageBox::warning(this, windowTitle(), Text(started.Failure().words));
  }
}

void LineWindow::Leave() {
  m_leaving = true;
  if (m_line) {
    m_line->RequestEnd();
  } else if (m_onEnded) {
    m_onEnded();
  }
}

void LineWindow::EndAfterUnitsInHand() {
  m_leaving = true;
  if (m_line) m_line->RequestEnd();
}

}  // namespace quillon::qt
