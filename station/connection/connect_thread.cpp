// The connection attempt that the watchdog starts whenever no link is up.
#include <algorithm>
#include <optional>
#include <thread>

#include "link/link_status.h"
#include "station/connection/discovery.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"

namespace quillon {
namespace {

// The handshake: the header, 'W' and 0; the rest of the 39 bytes is zero.
void QueueHandshake(CSerialPort& port) {
  std::uint8_t frame[kFrameSize] = {};
  std::ranges::copy(kFrameHeader, frame);
  frame[kFrameHeaderSize] = kCommandHandshake;
  port.QueueWrite(frame, kFrameSize);
}

bool OpenPort(CQuillonDlg& dlg, int portNumber, int baud) {
  return dlg.m_port.Configure(&dlg, portNumber, baud, 'N', 8, 1, g_serialEventMask.load(),
                              kPortWriteBufferSize);
}

// The status of an attempt that linked nothing, which also says why a USB library that is there cannot be
// used: the operator who has one expects the USB way.
void ShowNoLink(CQuillonDlg& dlg, const std::string& serialText) {
  dlg.ShowLinkStatus(NoLinkText(dlg.UsbUnusableReason(), serialText));
}

// A port that the operator can free (busy, not permitted) says how; one that is not there is no device,
// on the port the operator named when there is one.
std::string NoPortStatus(const PortSearchReport& search, const SerialPortList& ports) {
  for (const PortRefusal& refusal : search.refusals) {
    if (refusal.probe.availability != PortAvailability::kMissing) {
      return PortNotUsableText(refusal.portName, refusal.probe);
    }
  }
  if (const std::optional<std::string> named = ports.NamedPort()) return NoDeviceOnPortText(*named);
  return NoDeviceFoundText();
}

}  // namespace

void ConnectThread(CQuillonDlg& dlg, SerialPortList& ports, std::FILE* namesOut) {
  g_handshakeReply.store(0);
  // No exchange's answer is awaited now: the handshake reply is found by its frame alone.
  g_rxCountAwaited.store(0);
  g_usbPaceUnits.store(1);
  dlg.EnableJobButtons(false);

  if (dlg.OpenUsbDevice(kUsbDeviceString) == 1) {
    g_linkKind.store(kUsbLinkKind);
    dlg.LinkUp({.usb = true});
    return;
  }

  // A port that the driver still holds, in whatever state a failure left it, would fail its own
  // presence test and the station would never link again: let it go first.
  dlg.m_port.Stop();
  PortSearchReport search;
  const int portNumber = FindCh340Port(ports, &search, namesOut);
  if (portNumber == 0) {
    ShowNoLink(dlg, NoPortStatus(search, ports));
    const bool nothingThere = std::ranges::all_of(search.refusals, [](const PortRefusal& refusal) {
      return refusal.probe.availability == PortAvailability::kMissing;
    });
    if (nothingThere) dlg.DeviceAbsent();
    return;  // the buttons stay disabled, the station busy; the watchdog tries again
  }
  g_serialEventMask.store(EV_RXCHAR);

  if (OpenPort(dlg, portNumber, kHandshakeBaud)) {
    dlg.m_port.StartMonitor();
    QueueHandshake(dlg.m_port);
    // The answer ends the wait: a device that answers is linked the moment it has.
    dlg.Timing().PauseUntil(dlg.Timing().handshakeWait,
                            [] { return g_handshakeReply.load() == kHandshakeSeen; });
    if (g_handshakeReply.load() == kHandshakeSeen) {
      dlg.LinkUp({.port = search.portName, .baud = kHandshakeBaud});
      return;
    }
  }

  // Firmware that does not answer the handshake talks at 115200.
  dlg.m_port.Stop();
  g_usbPaceUnits.store(1);
  if (!OpenPort(dlg, portNumber, kFallbackBaud) || !dlg.m_port.StartMonitor()) {
    // A port that did not open, or did not take the line settings, is no link: the watchdog tries
    // again at its next check. A failed setup step has left its report ('E') and its failure, which
    // the status names.
    const bool refusedSettings = dlg.m_port.portState.load() == CSerialPort::kStateFailed;
    const std::optional<SerialFailure> failure = dlg.m_port.LastFailure();
    dlg.m_port.Stop();
    g_linkKind.store(kNoLink);
    ShowNoLink(dlg, !refusedSettings ? PortNotOpenedText(search.portName)
                    : failure        ? PortNotSetUpText(search.portName, *failure)
                                     : PortNotSetUpText(search.portName));
    return;
  }
  dlg.LinkUp({.port = search.portName, .baud = kFallbackBaud});
}

Worker ConnectWorker(SerialPortList& ports, std::FILE* namesOut) {
  return [&ports, namesOut](CQuillonDlg& dlg) { ConnectThread(dlg, ports, namesOut); };
}

}  // namespace quillon
