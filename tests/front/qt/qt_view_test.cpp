// The window in front of the real dialog: what it shows, and what the operator's actions do.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

#include "front/common/window_layout.h"
#include "front/qt/dialog_units.h"
#include "link/link_status.h"
#include "tests/front/qt/gui_station.h"

namespace quillon {
namespace {

using testing::GuiStationTest;

QString CaptionOf(const QWidget* widget) {
  if (auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
  return {};
}

// The visible top-level widget of that object name, or nullptr.
template <typename Widget>
Widget* FindTopLevel(const char* objectName) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && widget->objectName() == QLatin1String(objectName)) {
      if (auto* found = qobject_cast<Widget*>(widget)) return found;
    }
  }
  return nullptr;
}

class QtWindowTest : public GuiStationTest {
 protected:
  qt::DialogUnits Units() const { return qt::DialogUnits::ForFont(view.font()); }
  QSlider* Slider() { return qobject_cast<QSlider*>(view.Control(kIdSlider)); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(view.Control(id)); }
  struct SeenMessageBox {
    bool shown = false;
    bool returnedWhileShown = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString title;
    QMessageBox::StandardButtons buttons;
  };
  // A message box runs its own event loop, so the test's loop does not turn while it is open: a timer,
  // which runs inside that loop too, plays the operator, notes what the box shows and presses OK.
  static void AnswerMessageBoxWith(QTimer& timer, const std::atomic<bool>& returned, SeenMessageBox& seen) {
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&timer, &returned, &seen] {
      QMessageBox* box = FindTopLevel<QMessageBox>("messageBox");
      if (box == nullptr) return;
      timer.stop();
      seen = {true, returned.load(), box->icon(), box->text(), box->windowTitle(), box->standardButtons()};
      box->button(QMessageBox::Ok)->click();
    });
    timer.start();
  }
  void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
  }
};

// --- Layout -------------------------------------------------------------------------------------------

TEST_F(QtWindowTest, EveryControlHasItsIdCaptionAndPlaceInDialogUnits) {
  const std::map<QString, std::pair<int, QString>> expected = {
      {"control1001", {1001, "写中文字库"}},
      {"control2", {2, "退出"}},
      {"control3", {3, "写韩文字库"}},
      {"control1000", {1000, ""}},
      {"controlFrame", {-1, ""}},
      {"control1002", {1002, ""}},
      {"speedCaption", {-1, "选择写入速度"}},
      {"highSpeedLabel", {-1, "高速"}},
      {"lowSpeedLabel", {-1, "低速"}},
      {"control1003", {1003, "写繁体中文字库"}},
      {"control1004", {1004, "写大ASCII字库"}},
      {"control1005", {1005, "写日文字库"}},
      {"control1006", {1006, "写240X240彩屏机中文字库"}},
      {"control1007", {1007, "写128X128彩屏机中文字库"}},
      {"control4", {4, "写240X240彩屏机韩文字库"}},
      {"control1008", {1008, "写240X240彩屏机繁体中文字库"}},
      {"control1009", {1009, "写240X240彩屏机日文字库"}},
      {"control1010", {1010, "写240X240彩屏机英文字库"}},
      {"control1011", {1011, ""}},
  };
  for (const auto& [name, idAndCaption] : expected) {
    auto* widget = view.findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    ASSERT_NE(widget, nullptr) << name.toStdString();
    EXPECT_EQ(widget->property("controlId").toInt(), idAndCaption.first) << name.toStdString();
    EXPECT_EQ(CaptionOf(widget), idAndCaption.second) << name.toStdString();
  }
  for (const ControlLayout& control : kMainWindowControls) {
    const QString name = control.id == kNoControlId ? QString::fromLatin1(control.name)
                                                    : QStringLiteral("control%1").arg(control.id);
    EXPECT_EQ(view.findChild<QWidget*>(name)->geometry(), Units().ToPixels(control.rect))
        << name.toStdString();
  }
  // A few places written out, so a slip in the table shows too.
  EXPECT_EQ(view.Control(kIdExit)->geometry(), Units().ToPixels({79, 262, 309, 29}));
  EXPECT_EQ(view.Control(kIdProgress)->geometry(), Units().ToPixels({7, 302, 583, 8}));
  EXPECT_EQ(view.Control(kIdSlider)->geometry(), Units().ToPixels({502, 22, 24, 214}));
  EXPECT_EQ(view.Control(kIdWriteColour240English)->geometry(), Units().ToPixels({268, 17, 152, 29}));
}

TEST_F(QtWindowTest, TheTabKeyVisitsTheControlsInTheirOrder) {
  const std::vector<int> expected = {1001, 2, 3, 1002, 1003, 1004, 1005, 1006, 1007, 4, 1008, 1009, 1010};
  std::vector<int> visited;
  QWidget* widget = view.Control(kIdWriteChinese);
  do {
    if (widget->parentWidget() == &view && (widget->focusPolicy() & Qt::TabFocus)) {
      visited.push_back(widget->property("controlId").toInt());
    }
    widget = widget->nextInFocusChain();
  } while (widget != view.Control(kIdWriteChinese) && visited.size() <= expected.size());
  EXPECT_EQ(visited, expected);
}

TEST_F(QtWindowTest, TheFrameNeitherCoversTheButtonsNorTakesTheirClicks) {
  for (int id : {kIdWriteChinese, kIdExit, kIdWriteKorean, kIdWriteColour240English}) {
    const QRect place = view.Control(id)->geometry();
    EXPECT_EQ(view.childAt(place.center()), view.Control(id)) << id;
  }
}

TEST_F(QtWindowTest, AFixedWindowWithoutMaximiseBoxInTheTemplatesSize) {
  const QRect size = Units().ToPixels({0, 0, 597, 320});
  EXPECT_EQ(view.minimumSize(), size.size());
  EXPECT_EQ(view.maximumSize(), size.size());
  EXPECT_FALSE(view.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(view.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(view.windowIcon().availableSizes().size(), 2);
}

TEST_F(QtWindowTest, TheSliderRunsFromHighSpeedAtTheTopToLowSpeedAtTheBottom) {
  QSlider* slider = Slider();
  EXPECT_EQ(slider->orientation(), Qt::Vertical);
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 255);
  EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
  EXPECT_TRUE(slider->invertedAppearance()) << "Qt would put 0 at the bottom";
  auto* high = view.findChild<QLabel*>("highSpeedLabel");
  auto* low = view.findChild<QLabel*>("lowSpeedLabel");
  EXPECT_LT(high->geometry().bottom(), slider->geometry().top() + slider->height() / 4);
  EXPECT_GT(low->geometry().top(), slider->geometry().bottom() - slider->height() / 4);
  EXPECT_EQ(high->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

// --- The window mirrors the dialog ----------------------------------------------------------------------

TEST_F(QtWindowTest, AfterStartEveryJobButtonIsDisabledAndTheTitleIsSet) {
  StartStation();
  EXPECT_EQ(view.windowTitle().toStdString(), g_windowTitle);
  for (int id : kJobButtonIds) EXPECT_FALSE(view.Control(id)->isEnabled()) << id;
  EXPECT_TRUE(view.Control(kIdExit)->isEnabled());
  EXPECT_TRUE(view.Control(kIdSlider)->isEnabled());
  auto* progress = qobject_cast<QProgressBar*>(view.Control(kIdProgress));
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 1046);
  EXPECT_EQ(progress->value(), 0);
  EXPECT_EQ(Slider()->value(), 50) << "no Speed.txt: the default speed";
}

TEST_F(QtWindowTest, TheSliderStartsAtTheStoredSpeed) {
  std::ofstream("Speed.txt") << "300\n";
  StartStation();
  EXPECT_EQ(Slider()->value(), 44);
  EXPECT_EQ(app.Dialog().SliderPos(), 44);
}

TEST_F(QtWindowTest, ButtonsFollowTheDialogWhenALinkComesUp) {
  StartStation();
  app.Dialog().EnableJobButtons(true);
  Settle();
  for (int id : kJobButtonIds) EXPECT_TRUE(view.Control(id)->isEnabled()) << id;
  app.Dialog().EnableJobButtons(false);
  Settle();
  for (int id : kJobButtonIds) EXPECT_FALSE(view.Control(id)->isEnabled()) << id;
}

TEST_F(QtWindowTest, TheStatusLineAboveTheExitButtonSaysWhatTheLinkIsDoing) {
  StartStation();
  Settle();
  auto* status = qobject_cast<QLabel*>(view.Control(kIdLinkStatus));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(), QString::fromUtf8("正在查找写入器..."));  // Chinese, the default
  // Inside the frame, between the buttons and the Exit button.
  EXPECT_LT(status->geometry().bottom(), view.Control(kIdExit)->geometry().top());
  EXPECT_GT(status->geometry().top(), view.Control(kIdWriteColour128Chinese)->geometry().bottom());

  app.Dialog().ShowLinkStatus("ID writer linked: ttyUSB0 460800");
  Settle();
  EXPECT_EQ(status->text(), "ID writer linked: ttyUSB0 460800");
}

TEST_F(QtWindowTest, TheProgressBarFollowsTheDialog) {
  StartStation();
  app.Dialog().SetProgressPos(500);
  Settle();
  EXPECT_EQ(qobject_cast<QProgressBar*>(view.Control(kIdProgress))->value(), 500);
  app.Dialog().StepProgress();
  Settle();
  EXPECT_EQ(qobject_cast<QProgressBar*>(view.Control(kIdProgress))->value(), 501);
}

// --- The operator's actions -------------------------------------------------------------------------------

TEST_F(QtWindowTest, AClickOnAButtonTheDialogHoldsDisabledStartsNoJob) {
  StartStation();
  // As if the window had not caught up with the dialog: the dialog decides.
  view.Control(kIdWriteChinese)->setEnabled(true);
  Button(kIdWriteChinese)->click();
  Settle();
  EXPECT_EQ(g_jobBusy.load(), 0);
  EXPECT_EQ(app.Dialog().JobsStarted(), 0u);
  EXPECT_EQ(jobsRun.load(), 0);
}

TEST_F(QtWindowTest, AClickOnAnEnabledJobButtonStartsItsJob) {
  StartStation();
  app.Dialog().EnableJobButtons(true);
  Settle();
  Button(kIdWriteColour240Japanese)->click();  // a button without a job
  Settle();
  EXPECT_EQ(app.Dialog().JobsStarted(), 0u);
  Button(kIdWriteChinese)->click();
  Settle();
  EXPECT_EQ(app.Dialog().JobsStarted(), 1u);
  EXPECT_EQ(g_jobMode.load(), 1);
  EXPECT_TRUE(ProcessEventsUntil([this] { return jobsRun.load() == 1; }));
}

TEST_F(QtWindowTest, AButtonToPressOnStartIsPressedOnceAsTheLinkComesUp) {
  view.PressWhenEnabled(kIdWriteKorean);
  StartStation();
  EXPECT_EQ(app.Dialog().JobsStarted(), 0u);
  g_jobBusy = 1;  // as the watchdog's connection attempt leaves it
  app.Dialog().AcceptJobs();
  Settle();  // the window shows the buttons enabled and clicks
  Settle();  // the click reaches the dialog
  EXPECT_EQ(app.Dialog().JobsStarted(), 1u);
  EXPECT_EQ(g_jobMode.load(), 2);

  ASSERT_TRUE(ProcessEventsUntil([this] { return !app.Dialog().JobWorkerAlive(); }));
  app.Dialog().EnableJobButtons(false);
  app.Dialog().AcceptJobs();  // the link lost and found again
  Settle();
  Settle();
  EXPECT_EQ(app.Dialog().JobsStarted(), 1u);
}

TEST_F(QtWindowTest, MovingTheSliderUpwardsMakesTheDialogFaster) {
  std::ofstream("Speed.txt") << "100\n";
  StartStation();
  Slider()->setFocus();
  PressKey(Slider(), Qt::Key_Up);
  Settle();
  EXPECT_EQ(Slider()->value(), 99);
  EXPECT_EQ(app.Dialog().SliderPos(), 99);
  Slider()->setValue(7);  // as a drag ends
  Settle();
  EXPECT_EQ(app.Dialog().SliderPos(), 7);
}

TEST_F(QtWindowTest, F1ShowsTheAboutBoxAndItsOkButtonClosesIt) {
  StartStation();
  view.activateWindow();
  ASSERT_TRUE(ProcessEventsUntil([this] { return QApplication::activeWindow() == &view; }));
  PressKey(&view, Qt::Key_F1);
  QDialog* about = nullptr;
  ASSERT_TRUE(
      ProcessEventsUntil([&about] { return (about = FindTopLevel<QDialog>("aboutBox")) != nullptr; }));
  EXPECT_EQ(about->windowTitle(), QStringLiteral("关于 Quillon"));
  EXPECT_EQ(about->findChild<QLabel*>("aboutVersion")->text(), QStringLiteral("Quillon 1.0 版"));
  EXPECT_FALSE(about->findChild<QLabel*>("aboutNotice")->text().isEmpty());
  EXPECT_TRUE(about->isModal());
  auto* ok = about->findChild<QPushButton*>("aboutOk");
  EXPECT_EQ(ok->text(), QStringLiteral("确定"));
  ok->click();
  EXPECT_TRUE(ProcessEventsUntil([] { return FindTopLevel<QDialog>("aboutBox") == nullptr; }));
  EXPECT_FALSE(view.Ended()) << "the window stays";
}

TEST_F(QtWindowTest, TheContextMenuOffersTheAboutEntry) {
  StartStation();
  ASSERT_TRUE(view.actions().contains(view.AboutAction()));
  EXPECT_EQ(view.contextMenuPolicy(), Qt::ActionsContextMenu);
  EXPECT_EQ(view.AboutAction()->text(), QStringLiteral("关于 Quillon(&A)..."));
  view.AboutAction()->trigger();
  EXPECT_TRUE(ProcessEventsUntil([] { return FindTopLevel<QDialog>("aboutBox") != nullptr; }));
}

TEST_F(QtWindowTest, TheStationCheckBesideAboutListsTheCheckLinesOnceTheyCome) {
  view.OfferStationCheck([] { return std::string("\u2713 ModemManager: it is not running.\n"); });
  StartStation();
  ASSERT_NE(view.CheckAction(), nullptr);
  const QList<QAction*> entries = view.actions();
  ASSERT_EQ(entries.indexOf(view.CheckAction()), entries.indexOf(view.AboutAction()) + 1);
  EXPECT_EQ(view.CheckAction()->text(), QStringLiteral("检查本机设置…"));
  view.CheckAction()->trigger();
  QDialog* box = nullptr;
  ASSERT_TRUE(ProcessEventsUntil([&box] { return (box = FindTopLevel<QDialog>("checkDialog")) != nullptr; }));
  auto* lines = box->findChild<QPlainTextEdit*>("checkLines");
  ASSERT_NE(lines, nullptr);
  EXPECT_TRUE(ProcessEventsUntil([lines] {
    return lines->toPlainText() == QStringLiteral("\u2713 ModemManager: it is not running.\n");
  })) << lines->toPlainText().toStdString();
  box->close();
  EXPECT_FALSE(view.Ended()) << "the window stays";
}

TEST_F(QtWindowTest, TheExitButtonEndsTheDialogWhichClosesTheWindow) {
  StartStation();
  Button(kIdExit)->click();
  ASSERT_TRUE(ProcessEventsUntil([this] { return view.Ended(); }));
  EXPECT_FALSE(view.isVisible());
  app.WaitForEnd();
  EXPECT_FALSE(app.Thread().IsRunning());
}

TEST_F(QtWindowTest, EscapeAndTheCloseBoxAskTheDialogInsteadOfClosing) {
  StartStation();
  EXPECT_FALSE(view.close()) << "the dialog, not the window, decides";
  ASSERT_TRUE(ProcessEventsUntil([this] { return view.Ended(); }));
  EXPECT_FALSE(view.isVisible());
}

TEST_F(QtWindowTest, EscapeEndsTheDialog) {
  StartStation();
  PressKey(&view, Qt::Key_Escape);
  ASSERT_TRUE(ProcessEventsUntil([this] { return view.Ended(); }));
  app.WaitForEnd();
}

// --- Message boxes
// ------------------------------------------------------------------------------------------

TEST_F(QtWindowTest, AMessageBoxHoldsItsWorkerUntilTheOperatorClosesIt) {
  StartStation();
  std::atomic<bool> returned{false};
  SeenMessageBox seen;
  QTimer answerer;
  AnswerMessageBoxWith(answerer, returned, seen);
  std::thread worker([&] {
    view.ShowMessageBox("ID writer not found", g_windowTitle, MessageIcon::kError);
    returned = true;
  });
  EXPECT_TRUE(ProcessEventsUntil([&returned] { return returned.load(); }));
  worker.join();
  ASSERT_TRUE(seen.shown);
  EXPECT_FALSE(seen.returnedWhileShown) << "the worker must wait for the operator";
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.text, QStringLiteral("ID writer not found"));
  EXPECT_EQ(seen.title.toStdString(), g_windowTitle);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST_F(QtWindowTest, AnInformationBoxShowsTheInformationIcon) {
  StartStation();
  std::atomic<bool> returned{false};
  SeenMessageBox seen;
  QTimer answerer;
  AnswerMessageBoxWith(answerer, returned, seen);
  std::thread worker([&] {
    view.ShowMessageBox("done", "Quillon", MessageIcon::kInformation);
    returned = true;
  });
  EXPECT_TRUE(ProcessEventsUntil([&returned] { return returned.load(); }));
  worker.join();
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.title, QStringLiteral("Quillon"));
}

}  // namespace
}  // namespace quillon
