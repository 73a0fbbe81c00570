// The line settings and time-outs the station gives a COM port, worked out from what another program
// left on it, and what the monitor makes of reads that end aborted.
#include <gtest/gtest.h>

#include "link/serial/com_line_setup.h"
#include "link/serial/read_aborts.h"

namespace quillon {
namespace {

constexpr char kHandshakeSettings[] = "baud=460800 parity=N data=8 stop=1";

// What a driver may hand over after another program: every flag set, odd characters, another speed.
DCB EverythingSet() {
  DCB line{};
  line.DCBlength = sizeof line;
  line.BaudRate = 9600;
  line.fBinary = TRUE;
  line.fParity = TRUE;
  line.fOutxCtsFlow = TRUE;
  line.fOutxDsrFlow = TRUE;
  line.fDtrControl = DTR_CONTROL_HANDSHAKE;
  line.fDsrSensitivity = TRUE;
  line.fTXContinueOnXoff = FALSE;
  line.fOutX = TRUE;
  line.fInX = TRUE;
  line.fErrorChar = TRUE;
  line.fNull = TRUE;
  line.fRtsControl = RTS_CONTROL_TOGGLE;
  line.fAbortOnError = TRUE;
  line.ByteSize = 7;
  line.Parity = EVENPARITY;
  line.StopBits = TWOSTOPBITS;
  line.ErrorChar = '?';
  line.EvtChar = '\n';
  return line;
}

void ExpectStationLine(const DCB& line) {
  EXPECT_EQ(line.DCBlength, sizeof(DCB));
  EXPECT_EQ(line.BaudRate, 460800u);
  EXPECT_EQ(line.ByteSize, 8);
  EXPECT_EQ(line.Parity, NOPARITY);
  EXPECT_EQ(line.StopBits, ONESTOPBIT);
  EXPECT_TRUE(line.fBinary);
  EXPECT_FALSE(line.fParity);
  EXPECT_FALSE(line.fOutxCtsFlow);
  EXPECT_FALSE(line.fOutxDsrFlow);
  EXPECT_EQ(line.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_FALSE(line.fDsrSensitivity);
  EXPECT_TRUE(line.fTXContinueOnXoff);
  EXPECT_FALSE(line.fOutX);
  EXPECT_FALSE(line.fInX);
  EXPECT_FALSE(line.fErrorChar);
  EXPECT_FALSE(line.fNull);
  EXPECT_EQ(line.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
  EXPECT_FALSE(line.fAbortOnError);
  EXPECT_EQ(line.EvtChar, 'q');
}

TEST(StationDcbTest, EveryFlagAnotherProgramLeftIsSetTheStationsWay) {
  const std::optional<DCB> line = StationDcb(EverythingSet(), kHandshakeSettings);
  ASSERT_TRUE(line);
  ExpectStationLine(*line);
}

TEST(StationDcbTest, ALineWithNothingSetEndsTheSame) {
  DCB nothing{};
  nothing.DCBlength = sizeof nothing;
  const std::optional<DCB> line = StationDcb(nothing, kHandshakeSettings);
  ASSERT_TRUE(line);
  ExpectStationLine(*line);
}

TEST(StationDcbTest, TheFallbackSpeedComesFromTheText) {
  const std::optional<DCB> line = StationDcb(EverythingSet(), "baud=115200 parity=N data=8 stop=1");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->BaudRate, 115200u);
  EXPECT_FALSE(line->fNull);
}

TEST(StationDcbTest, ASettingsTextTheSystemRefusesGivesNoLine) {
  EXPECT_FALSE(StationDcb(EverythingSet(), "baud=fast parity=Q"));
}

TEST(StationTimeoutsTest, AWriteMayTakeItsWireTimeInWholeMillisecondsAByteAndAMargin) {
  DCB line = *StationDcb(EverythingSet(), kHandshakeSettings);
  // 10 bits a byte: 22 µs at 460800, 87 µs at 115200; a byte costs 1 ms of the time-out at either.
  COMMTIMEOUTS timeouts = StationTimeouts(line);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 1u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 100u);
  line.BaudRate = 115200;
  EXPECT_EQ(StationTimeouts(line).WriteTotalTimeoutMultiplier, 1u);
  // Slower lines get their own: 1.04 ms a byte at 9600, 11 bits with a parity bit at 300.
  line.BaudRate = 9600;
  EXPECT_EQ(StationTimeouts(line).WriteTotalTimeoutMultiplier, 2u);
  line.BaudRate = 300;
  line.Parity = EVENPARITY;
  EXPECT_EQ(StationTimeouts(line).WriteTotalTimeoutMultiplier, 37u);
}

TEST(StationTimeoutsTest, AReadWaitsForTheBytesItAsksFor) {
  const COMMTIMEOUTS timeouts = StationTimeouts(*StationDcb(EverythingSet(), kHandshakeSettings));
  EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
}

TEST(ReadAbortsTest, AFewAbortsAreReadPastAndTheNextGivesUpForGood) {
  ReadAborts aborts;
  for (int abort = 0; abort < ReadAborts::kMostReadPast; ++abort) {
    EXPECT_EQ(aborts.Aborted(), ReadAborts::Verdict::kReadAgain);
  }
  EXPECT_FALSE(aborts.GaveUp());
  EXPECT_EQ(aborts.Aborted(), ReadAborts::Verdict::kGiveUp);
  EXPECT_TRUE(aborts.GaveUp());
  aborts.BytesCame();
  EXPECT_EQ(aborts.Aborted(), ReadAborts::Verdict::kGiveUp);
}

TEST(ReadAbortsTest, AbortsWithBytesBetweenThemAreReadPastForEver) {
  ReadAborts aborts;
  for (int round = 0; round < 10 * ReadAborts::kMostReadPast; ++round) {
    EXPECT_EQ(aborts.Aborted(), ReadAborts::Verdict::kReadAgain);
    if (round % ReadAborts::kMostReadPast == ReadAborts::kMostReadPast - 1) aborts.BytesCame();
  }
  EXPECT_FALSE(aborts.GaveUp());
}

}  // namespace
}  // namespace quillon
