// Finding the CH340 port among the system's serial ports, with enumerations the tests make up and
// pseudo-terminals standing in for the adapters.
#include <gtest/gtest.h>
#include <sys/inotify.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "link/link_status.h"
#include "link/serial/com_port_name.h"
#include "link/serial/port_table.h"
#include "link/serial/tty_io.h"
#include "station/connection/discovery.h"
#include "station/shared_state.h"
#include "tests/support/listed_ports.h"
#include "tests/support/pty_pair.h"

namespace quillon {
namespace {

using testing::Ch340;
using testing::ListedPorts;
using testing::PtyPair;

// The opens of one tty by its path, as the system reports them.
class OpenWatch {
 public:
  explicit OpenWatch(const std::string& path) : m_events(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    m_watching = m_events && ::inotify_add_watch(m_events.get(), path.c_str(), IN_OPEN) >= 0;
  }
  bool watching() const { return m_watching; }
  // The opens since the last call.
  int Opens() {
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    ssize_t length = 0;
    while ((length = ::read(m_events.get(), buffer, sizeof buffer)) > 0) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->mask & IN_OPEN) ++opens;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return opens;
  }

 private:
  FileDescriptor m_events;
  bool m_watching = false;
};

class PortSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    for (auto& pty : ptys) ASSERT_TRUE(pty.ok());
  }
  void TearDown() override {
    for (int number = 1; number <= 99; ++number) UnbindPortPath(number);
  }

  int Find(std::vector<SerialPortEntry> entries, PortSearchReport* report = nullptr) {
    ListedPorts ports(std::move(entries));
    return FindCh340Port(ports, report, nullptr);
  }
  std::string PathOf(int number) { return PortPath(number).value_or(""); }

  PtyPair ptys[3];
};

TEST_F(PortSearchTest, TheLastFreeCh340WinsAndOtherPortsAreOnlyListed) {
  std::FILE* names = std::tmpfile();
  ListedPorts ports({Ch340("COM3", ptys[0].slavePath()),
                     {"COM1", ptys[1].slavePath(), "Communications Port (COM1)"},
                     Ch340("COM7", ptys[2].slavePath())});
  PortSearchReport report;
  EXPECT_EQ(FindCh340Port(ports, &report, names), 7);
  EXPECT_EQ(g_linkKind, 7u);
  EXPECT_EQ(report.portName, "COM7");
  EXPECT_EQ(PathOf(7), ptys[2].slavePath());

  // Every friendly name goes to the output, one a line, in the enumeration's order.
  std::rewind(names);
  char text[256] = {};
  const std::size_t length = std::fread(text, 1, sizeof text - 1, names);
  std::fclose(names);
  EXPECT_EQ(std::string(text, length),
            "USB-SERIAL CH340 (COM3)\nCommunications Port (COM1)\nUSB-SERIAL CH340 (COM7)\n");
}

TEST_F(PortSearchTest, OnlyTheCh340sPortsAndTheOneTheOperatorNamedAreOpened) {
  OpenWatch adapter(ptys[0].slavePath()), other(ptys[1].slavePath()), named(ptys[2].slavePath());
  ASSERT_TRUE(adapter.watching() && other.watching() && named.watching());
  // Someone else's device on a port of another name, listed after the adapter: the adapter is taken,
  // and the other port is never opened, not even to see whether it is free.
  EXPECT_EQ(
      Find({Ch340("COM3", ptys[0].slavePath()), {"COM1", ptys[1].slavePath(), "Bluetooth link (COM1)"}}), 3);
  EXPECT_GT(adapter.Opens(), 0);
  EXPECT_EQ(other.Opens(), 0);
  // A port the operator named is opened whatever its name says.
  SerialPortEntry given{"COM9", ptys[2].slavePath(), "Communications Port (COM9)", true};
  EXPECT_EQ(Find({{"COM1", ptys[1].slavePath(), "Bluetooth link (COM1)"}, given}), 9);
  EXPECT_GT(named.Opens(), 0);
  EXPECT_EQ(other.Opens(), 0);
}

TEST_F(PortSearchTest, OnlyTheFirstSixteenCharactersOfTheNameAreCompared) {
  EXPECT_EQ(Find({{"COM4", ptys[0].slavePath(), "USB-SERIAL CH340K (COM4)"}}), 4);
  EXPECT_EQ(Find({{"COM4", ptys[0].slavePath(), "usb-serial ch340 (COM4)"}}), 0);
  EXPECT_EQ(Find({{"COM4", ptys[0].slavePath(), "USB-SERIAL CH34 (COM4)"}}), 0);
}

TEST_F(PortSearchTest, ThePortNameIsWhatStandsBetweenTheParentheses) {
  // No ')' at all, or one before the '(': no port name, so the port cannot be tested and is passed over.
  EXPECT_EQ(Find({{"", ptys[0].slavePath(), "USB-SERIAL CH340 (COM4"}}), 0);
  EXPECT_EQ(Find({{"", ptys[0].slavePath(), "USB-SERIAL CH340) (COM4"}}), 0);
  PortSearchReport report;
  EXPECT_EQ(Find({{"", ptys[0].slavePath(), "USB-SERIAL CH340 (COM12) on hub (port 2)"}}, &report), 12);
  EXPECT_EQ(report.portName, "COM12");
}

TEST_F(PortSearchTest, ComTenAndAboveKeepTheirNumbersWithinOneToNinetyNine) {
  EXPECT_EQ(Find({Ch340("COM10", ptys[0].slavePath())}), 10);
  EXPECT_EQ(Find({Ch340("COM99", ptys[1].slavePath())}), 99);
  // COM100 and COM85 would leave the station's numbering (85 stands for USB): they get a free number.
  const int hundred = Find({Ch340("COM100", ptys[2].slavePath())});
  EXPECT_GE(hundred, 1);
  EXPECT_LE(hundred, 99);
  EXPECT_NE(hundred, 85);
  EXPECT_EQ(PathOf(hundred), ptys[2].slavePath());
  const int eightyFive = Find({Ch340("COM85", ptys[0].slavePath())});
  EXPECT_NE(eightyFive, 85);
  EXPECT_NE(eightyFive, 0);
}

TEST_F(PortSearchTest, LinuxTtysGetAStableNumberEachAndNeverEightyFive) {
  const int first = Find({Ch340("ttyUSB0", ptys[0].slavePath())});
  const int second = Find({Ch340("ttyUSB1", ptys[1].slavePath())});
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(Find({Ch340("ttyUSB0", ptys[0].slavePath())}), first);
  // Numbers up to 84 taken: the next one skips 85.
  for (int number = 3; number <= 84; ++number) BindPortPath(number, "/dev/null");
  EXPECT_EQ(Find({Ch340("ttyACM0", ptys[2].slavePath())}), 86);
}

TEST_F(PortSearchTest, APortThatIsHeldFailsThePresenceTestAndIsReported) {
  FileDescriptor heldByAnotherProgram = OpenTtyExclusive(ptys[1].slavePath()).tty;
  ASSERT_TRUE(heldByAnotherProgram);
  PortSearchReport report;
  EXPECT_EQ(Find({Ch340("COM3", ptys[0].slavePath()), Ch340("COM4", ptys[1].slavePath())}, &report), 3);
  ASSERT_EQ(report.refusals.size(), 1u);
  EXPECT_EQ(report.refusals[0].portName, "COM4");
  EXPECT_EQ(report.refusals[0].probe.availability, PortAvailability::kBusy);
  // The holder is found by its open descriptor: here, this test program itself.
  EXPECT_NE(report.refusals[0].probe.holder.find("pid " + std::to_string(::getpid())), std::string::npos);

  EXPECT_EQ(Find({Ch340("COM4", ptys[1].slavePath())}), 0);
  EXPECT_EQ(g_linkKind, kNoLink);
}

TEST_F(PortSearchTest, NoPortsOrAnAdapterThatIsGoneFindNothing) {
  g_linkKind = 5;
  EXPECT_EQ(Find({}), 0);
  EXPECT_EQ(g_linkKind, kNoLink);
  PortSearchReport report;
  EXPECT_EQ(Find({Ch340("ttyUSB0", "/dev/quillon-unplugged")}, &report), 0);
  ASSERT_EQ(report.refusals.size(), 1u);
  EXPECT_EQ(report.refusals[0].probe.availability, PortAvailability::kMissing);
}

TEST(PortProbeTest, AFailedOpenIsPutInTermsAnOperatorCanActOn) {
  EXPECT_EQ(AvailabilityAfterOpenError(ENOENT), PortAvailability::kMissing);
  EXPECT_EQ(AvailabilityAfterOpenError(ENXIO), PortAvailability::kMissing);
  EXPECT_EQ(AvailabilityAfterOpenError(EACCES), PortAvailability::kNoPermission);
  EXPECT_EQ(AvailabilityAfterOpenError(EBUSY), PortAvailability::kBusy);
  EXPECT_EQ(AvailabilityAfterOpenError(EWOULDBLOCK), PortAvailability::kBusy);
  EXPECT_EQ(AvailabilityAfterOpenError(EIO), PortAvailability::kUnusable);

  const std::string noPermission =
      PortNotUsableText("ttyUSB0", {.availability = PortAvailability::kNoPermission});
  EXPECT_NE(noPermission.find("ttyUSB0"), std::string::npos);
  EXPECT_NE(noPermission.find("dialout group"), std::string::npos);
  EXPECT_NE(noPermission.find("udev rule 60-quillon.rules"), std::string::npos);
  EXPECT_EQ(
      PortNotUsableText("ttyUSB0", {.availability = PortAvailability::kBusy, .holder = "minicom, pid 42"}),
      "ID writer port ttyUSB0 is busy in another program (minicom, pid 42): close it there.");
}

TEST(ComPortNameTest, AComPortIsComOneToTwoHundredFiftyFiveByNameOrDevicePath) {
  EXPECT_EQ(ComPortName("COM7"), "COM7");
  EXPECT_EQ(ComPortName("com12"), "COM12");
  EXPECT_EQ(ComPortName("\\\\.\\COM255"), "COM255");
  EXPECT_EQ(ComDevicePath("COM5"), "\\\\.\\COM5");
  for (const char* other : {"COM0", "COM256", "COM07", "COM", "COM5x", "COM-1", "LPT1", "C:\\x\\flash.txt",
                            "\\\\.\\FLASH.TXT", "..\\COM5"}) {
    EXPECT_FALSE(ComPortName(other)) << other;
  }
}

}  // namespace
}  // namespace quillon
