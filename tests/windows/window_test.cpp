// The station's window on Windows in front of the real dialog, run under Wine with a display: what the
// templates hold, the About box, and a job pressed by a click on the Linux simulator behind a Wine COM
// port (that one runs from tests/wine, which provides the port).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "front/common/device_setup.h"
#include "front/common/window_layout.h"
#include "front/win32/common_controls.h"
#include "front/win32/win32_view.h"
#include "link/os/wide_text.h"
#include "link/usb/no_usb_bridge.h"
#include "res/quillon_resources.h"
#include "station/jobs/station_jobs.h"
#include "station/quillon_app.h"
#include "station/shared_state.h"
#include "tests/support/eventually.h"
#include "tests/support/gate.h"
#include "tests/support/made.h"
#include "tests/support/scratch_directory.h"
#include "tests/windows/dialog_template.h"

namespace quillon {
namespace {

using testing::Eventually;

std::string TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return Utf8Text(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return Utf8Text(name);
}

bool HasStyle(HWND window, LONG_PTR bits) {
  return (::GetWindowLongPtrW(window, GWL_STYLE) & bits) == bits;
}

// Where a control lies in its dialog's client area, in pixels.
RECT PlaceInDialog(HWND control) {
  RECT place{};
  ::GetWindowRect(control, &place);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// The dialog-unit rectangle in the dialog's pixels, as the dialog manager places a control: position
// and size are each mapped, so the right edge is the mapped position plus the mapped width.
RECT InPixels(HWND dialog, const DialogRect& units) {
  RECT mapped{units.x, units.y, units.width, units.height};
  ::MapDialogRect(dialog, &mapped);
  return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

void ExpectPlacedAt(HWND dialog, HWND control, const DialogRect& units, const std::string& what) {
  const RECT expected = InPixels(dialog, units);
  const RECT actual = PlaceInDialog(control);
  EXPECT_EQ(actual.left, expected.left) << what;
  EXPECT_EQ(actual.top, expected.top) << what;
  EXPECT_EQ(actual.right, expected.right) << what;
  EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

struct OwnedDialogSearch {
  HWND owner;
  HWND found = nullptr;
};

// EnumWindows' callback, in the system's calling convention: stops at the search's dialog.
BOOL CALLBACK StopAtOwnedDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<OwnedDialogSearch*>(context);
  if (::GetWindow(window, GW_OWNER) != search->owner || ClassOf(window) != "#32770" ||
      !::IsWindowVisible(window)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// A window owned by owner with the dialog class, as message boxes and the About box are; nullptr when
// there is none.
HWND OwnedDialog(HWND owner) {
  OwnedDialogSearch search{owner};
  ::EnumWindows(StopAtOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The station as quillon.exe runs it: the window on a view thread of its own (the test's thread plays
// the operator), the dialog on its dialog thread.
class StationWindow {
 public:
  StationWindow(UsbBridge& usb, StationWorkers workers, StationTiming timing = {})
      : m_app(m_view, usb, std::move(workers), std::move(timing)) {
    ResetSharedState();
    m_view.Attach(&m_app);
    m_app.Start();
    m_viewThread = std::thread([this] {
      m_shown = m_view.Run();
      m_runEnded = true;
    });
    // Wine makes no window without a display (its desktop takes the display of the server's first
    // windowed program): scripts/with-display.sh gives the tests one.
    Eventually([this] { return Window() != nullptr || m_runEnded; });
    if (Window() != nullptr) Settle();
  }
  ~StationWindow() {
    if (m_viewThread.joinable()) m_app.PostClick(kIdExit);
    End();
  }

  HWND Window() const { return m_view.Window(); }
  HWND Control(int id) const { return ::GetDlgItem(Window(), id); }
  CQuillonApp& App() { return m_app; }

  // Returns when what the dialog has shown so far is on the screen: the dialog's queue, then the
  // window's, are handled in order.
  void Settle() {
    m_app.Thread().Send([] {});
    testing::Gate shown;
    m_view.RunWhenShown([&shown] { shown.Open(); });
    shown.Wait();
  }

  // Ends the dialog as the operator does, and returns when the window has gone.
  void Exit() {
    ::PostMessageW(Control(kIdExit), BM_CLICK, 0, 0);
    End();
  }
  bool WasShown() const { return m_shown; }

 private:
  void End() {
    if (!m_viewThread.joinable()) return;
    m_viewThread.join();
    m_app.WaitForEnd();
    // The workers reach the dialog: they must be done before it goes.
    Eventually(
        [this] { return !m_app.Dialog().JobWorkerAlive() && !m_app.Dialog().ConnectionAttemptRunning(); });
    m_app.Dialog().m_port.Stop();
  }

  win32::Win32View m_view;
  CQuillonApp m_app;
  std::thread m_viewThread;
  std::atomic<bool> m_shown{false};
  std::atomic<bool> m_runEnded{false};
};

class WindowTest : public ::testing::Test {
 protected:
  testing::ScratchWorkingDirectory directory;  // "Speed.txt" is read and written here
  NoUsbBridge usb;
  StationWindow station{usb, {}, StationTiming{.timerPeriod = std::chrono::milliseconds(0)}};
};

// What a control of the layout must be in the resource script: its class, and the styles that make it
// look and act as it should.
struct ExpectedKind {
  std::string className;
  DWORD style;
  DWORD extendedStyle;
};

ExpectedKind KindInTemplate(const ControlLayout& control) {
  constexpr DWORD kButtonEdges = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME;
  switch (control.kind) {
    case ControlKind::kPushButton:
      return {"Button", DWORD(control.id == kIdExit ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON), kButtonEdges};
    case ControlKind::kProgressBar:
      return {"msctls_progress32", WS_BORDER | PBS_SMOOTH, 0};
    case ControlKind::kGroupBox:
      return {"Button", BS_GROUPBOX, 0};
    case ControlKind::kSlider:
      return {"msctls_trackbar32", TBS_VERT | TBS_NOTICKS | WS_BORDER | WS_TABSTOP,
              WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME};
    case ControlKind::kLabelLeft:
      return {"Static", SS_LEFT, 0};
    case ControlKind::kLabelRight:
      return {"Static", SS_RIGHT, 0};
    case ControlKind::kStatusLine:
      return {"Static", SS_CENTER | SS_NOPREFIX, 0};
  }
  return {};
}

TEST(WindowTemplates, TheMainDialogHoldsEveryControlWithItsIdCaptionStyleAndPlace) {
  const testing::DialogTemplate dialog = testing::LoadDialogTemplate(IDD_QUILLON_DIALOG);
  EXPECT_EQ(dialog.title, "Quillon");
  EXPECT_EQ(dialog.width, kMainWindowSize.width);
  EXPECT_EQ(dialog.height, kMainWindowSize.height);
  EXPECT_EQ(dialog.pointSize, 9);
  EXPECT_EQ(dialog.typeface, "宋体");
  const DWORD frame = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
  EXPECT_EQ(dialog.style & frame, frame);
  EXPECT_EQ(dialog.style & WS_MAXIMIZEBOX, 0u) << "fixed size";
  EXPECT_EQ(dialog.extendedStyle & WS_EX_APPWINDOW, DWORD(WS_EX_APPWINDOW));

  ASSERT_EQ(dialog.items.size(), kMainWindowControls.size());
  for (std::size_t i = 0; i < dialog.items.size(); ++i) {
    const testing::TemplateItem& item = dialog.items[i];
    const ControlLayout& expected = kMainWindowControls[i];
    const ExpectedKind kind = KindInTemplate(expected);
    const std::string what = std::string("control ") + std::to_string(i) + " " + expected.caption;
    EXPECT_EQ(static_cast<int>(item.id), expected.id == kNoControlId ? -1 : expected.id) << what;
    EXPECT_EQ(item.title, expected.caption) << what;
    EXPECT_EQ(::lstrcmpiA(item.className.c_str(), kind.className.c_str()), 0)
        << what << " " << item.className;
    EXPECT_EQ((item.style & 0xFFFF) & ~DWORD(WS_TABSTOP), kind.style & 0xFFFF & ~DWORD(WS_TABSTOP)) << what;
    EXPECT_EQ(item.style & kind.style, kind.style) << what;
    EXPECT_EQ(item.extendedStyle & kind.extendedStyle, kind.extendedStyle) << what;
    EXPECT_EQ((item.style & WS_DISABLED) != 0, expected.id == kIdWriteColour240English) << what;
    EXPECT_EQ(item.x, expected.rect.x) << what;
    EXPECT_EQ(item.y, expected.rect.y) << what;
    EXPECT_EQ(item.width, expected.rect.width) << what;
    EXPECT_EQ(item.height, expected.rect.height) << what;
  }
}

TEST(WindowTemplates, TheAboutBoxHoldsTheIconTheVersionANoticeAndOk) {
  const testing::DialogTemplate about = testing::LoadDialogTemplate(IDD_ABOUTBOX);
  EXPECT_EQ(about.title, kAboutCaption);
  EXPECT_EQ(about.width, kAboutBoxSize.width);
  EXPECT_EQ(about.height, kAboutBoxSize.height);
  EXPECT_EQ(about.typeface, "宋体");
  ASSERT_EQ(about.items.size(), 4u);
  const auto place = [](const testing::TemplateItem& item) {
    return std::vector<int>{item.x, item.y, item.width, item.height};
  };
  const auto units = [](const DialogRect& rect) {
    return std::vector<int>{rect.x, rect.y, rect.width, rect.height};
  };
  EXPECT_EQ(about.items[0].style & SS_TYPEMASK, DWORD(SS_ICON));
  EXPECT_EQ(about.items[0].title, testing::AtomName(IDR_MAINFRAME));
  EXPECT_EQ(place(about.items[0]), units(kAboutIconRect));
  EXPECT_EQ(about.items[1].title, kAboutVersionText);
  EXPECT_EQ(place(about.items[1]), units(kAboutVersionRect));
  EXPECT_EQ(about.items[2].title, kAboutNoticeText);
  EXPECT_EQ(place(about.items[2]), units(kAboutNoticeRect));
  EXPECT_EQ(about.items[3].id, DWORD(IDOK));
  EXPECT_EQ(about.items[3].title, kAboutOkText);
  EXPECT_EQ(about.items[3].style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
  EXPECT_EQ(place(about.items[3]), units(kAboutOkRect));
}

TEST_F(WindowTest, TheWindowPlacesEveryControlAtItsDialogUnitsAndMirrorsTheDialog) {
  const HWND window = station.Window();
  ASSERT_NE(window, nullptr) << "no window: is there a display?";
  EXPECT_EQ(TextOf(window), g_windowTitle);
  RECT client{};
  ::GetClientRect(window, &client);
  const RECT size = InPixels(window, kMainWindowSize);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  // The controls in tab order, as the template creates them.
  HWND control = ::GetWindow(window, GW_CHILD);
  for (const ControlLayout& expected : kMainWindowControls) {
    ASSERT_NE(control, nullptr);
    const std::string what = std::string("control ") + std::to_string(expected.id) + " " + expected.caption;
    if (expected.id != kNoControlId) {
      EXPECT_EQ(::GetDlgCtrlID(control), expected.id) << what;
    }
    // The status line's text is the dialog's, below.
    if (expected.kind != ControlKind::kStatusLine) {
      EXPECT_EQ(TextOf(control), expected.caption) << what;
    }
    ExpectPlacedAt(window, control, expected.rect, what);
    control = ::GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "a control the layout does not know";

  // As the dialog first shows: no link yet, so no job can be pressed; the ranges are the dialog's.
  for (int id : kJobButtonIds) EXPECT_FALSE(::IsWindowEnabled(station.Control(id))) << id;
  EXPECT_TRUE(::IsWindowEnabled(station.Control(kIdExit)));
  EXPECT_EQ(::SendMessageW(station.Control(kIdProgress), PBM_GETRANGE, FALSE, 0), 1046);
  EXPECT_EQ(::SendMessageW(station.Control(kIdSlider), TBM_GETRANGEMAX, 0, 0), 255);
  EXPECT_EQ(::SendMessageW(station.Control(kIdSlider), TBM_GETPOS, 0, 0), 50) << "no Speed.txt";
  EXPECT_EQ(TextOf(station.Control(kIdLinkStatus)), "正在查找写入器...");

  station.App().Dialog().EnableJobButtons(true);
  station.Settle();
  for (int id : kJobButtonIds) EXPECT_TRUE(::IsWindowEnabled(station.Control(id))) << id;
}

TEST_F(WindowTest, TheSystemMenusLastEntryOpensTheAboutBox) {
  const HWND window = station.Window();
  ASSERT_NE(window, nullptr) << "no window: is there a display?";
  const HMENU menu = ::GetSystemMenu(window, FALSE);
  const int count = ::GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(::GetMenuItemID(menu, count - 1), kIdAboutCommand);
  wchar_t text[64] = {};
  ::GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
  EXPECT_EQ(Utf8Text(text), kAboutMenuText);
  MENUITEMINFOW separator{sizeof(MENUITEMINFOW), MIIM_FTYPE};
  ::GetMenuItemInfoW(menu, count - 2, TRUE, &separator);
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

  ::PostMessageW(window, WM_SYSCOMMAND, kIdAboutCommand, 0);
  HWND box = nullptr;
  ASSERT_TRUE(Eventually([&] { return (box = OwnedDialog(window)) != nullptr; }));
  EXPECT_EQ(TextOf(box), kAboutCaption);
  RECT client{};
  ::GetClientRect(box, &client);
  EXPECT_EQ(client.right, InPixels(box, kAboutBoxSize).right);
  const HWND icon = ::GetWindow(box, GW_CHILD);
  EXPECT_TRUE(HasStyle(icon, SS_ICON));
  EXPECT_EQ(PlaceInDialog(icon).left, InPixels(box, kAboutIconRect).left);
  EXPECT_EQ(PlaceInDialog(icon).top, InPixels(box, kAboutIconRect).top);
  const HWND version = ::GetWindow(icon, GW_HWNDNEXT);
  EXPECT_EQ(TextOf(version), kAboutVersionText);
  ExpectPlacedAt(box, version, kAboutVersionRect, "version");
  const HWND notice = ::GetWindow(version, GW_HWNDNEXT);
  EXPECT_EQ(TextOf(notice), kAboutNoticeText);
  ExpectPlacedAt(box, notice, kAboutNoticeRect, "notice");
  const HWND ok = ::GetDlgItem(box, IDOK);
  EXPECT_EQ(TextOf(ok), kAboutOkText);
  EXPECT_EQ(::GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  ExpectPlacedAt(box, ok, kAboutOkRect, "OK");
  EXPECT_FALSE(::IsWindowEnabled(window)) << "modal to the window";

  ::PostMessageW(ok, BM_CLICK, 0, 0);
  EXPECT_TRUE(Eventually([&] { return OwnedDialog(window) == nullptr && ::IsWindowEnabled(window); }));
  station.Exit();
}

// The operator's job on a real device link: QUILLON_WINDOW_TEST_PORT names the Wine COM port behind
// which tests/wine runs the simulator, in a directory holding the sample packages.
TEST(WindowOverSerial, AClickOnAJobButtonWritesThePackageAndSaysSo) {
  const char* port = std::getenv("QUILLON_WINDOW_TEST_PORT");
  ASSERT_NE(port, nullptr) << "run from the Wine end-to-end tests, which set up the port";
  std::unique_ptr<DeviceSetup> device =
      testing::Made(DeviceSetup::Create(DeviceChoice{DeviceChoice::Source::kPort, port}));
  ASSERT_NE(device, nullptr);
  StationWorkers workers = StationJobWorkers();
  workers.connectThread = device->ConnectWorker();
  StationWindow station(device->Usb(), std::move(workers));
  ASSERT_NE(station.Window(), nullptr) << "no window: is there a display?";
  const HWND button = station.Control(kIdWriteLargeAscii);
  EXPECT_FALSE(::IsWindowEnabled(button)) << "before a link";
  // The watchdog's first attempt comes after some ticks of a second each.
  ASSERT_TRUE(Eventually([&] { return ::IsWindowEnabled(button) != FALSE; }, std::chrono::seconds(60)))
      << TextOf(station.Control(kIdLinkStatus));

  // The operator moves the speed down one page with the keyboard; the job stores it as it starts.
  const HWND slider = station.Control(kIdSlider);
  ::SendMessageW(slider, WM_KEYDOWN, VK_NEXT, 0);
  const LRESULT speed = ::SendMessageW(slider, TBM_GETPOS, 0, 0);
  EXPECT_GT(speed, 50);
  ::PostMessageW(button, BM_CLICK, 0, 0);

  // The job's end is a message box owned by the window; the operator reads it and presses OK.
  HWND box = nullptr;
  // The device takes its time after the open-job command: 10 s, then the pages.
  ASSERT_TRUE(
      Eventually([&] { return (box = OwnedDialog(station.Window())) != nullptr; }, std::chrono::seconds(90)));
  EXPECT_EQ(TextOf(box), g_windowTitle);
  EXPECT_EQ(TextOf(::GetDlgItem(box, 0xFFFF)), "写入完成!!!");
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(Eventually([&] { return ::IsWindowEnabled(station.Window()) != FALSE; }));

  std::ifstream speedFile("Speed.txt");
  std::stringstream stored;
  stored << speedFile.rdbuf();
  EXPECT_EQ(stored.str(), std::to_string(speed) + "\n");
  station.Exit();
  EXPECT_TRUE(station.WasShown());
}

}  // namespace
}  // namespace quillon
