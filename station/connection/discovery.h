// Finding the font writer and bringing the link up: first a USB device with the right device string,
// then a CH340 serial port, greeted with a handshake at 460800 baud, else taken at 115200.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "link/ports/ch340_search.h"
#include "station/station_workers.h"

namespace quillon {

inline constexpr char kUsbDeviceString[] = "tarvik-writer";  // compared whole, case and all

inline constexpr int kHandshakeBaud = 460800;
inline constexpr int kFallbackBaud = 115200;
inline constexpr int kPortWriteBufferSize = 1024;
inline constexpr std::uint32_t kUsbTimeoutMs = 6000;

// Looks through the system's ports for a CH340 adapter that this program can open: the one listed last
// wins. Writes every friendly name to namesOut. Returns the port's number (also left in g_linkKind),
// or 0.
int FindCh340Port(SerialPortList& ports, PortSearchReport* report = nullptr, std::FILE* namesOut = stdout);

// One connection attempt, on a worker thread of its own; the ports' friendly names go to namesOut.
void ConnectThread(CQuillonDlg& dlg, SerialPortList& ports, std::FILE* namesOut = stdout);

// The connection attempt as the watchdog starts it, searching the given ports. namesOut takes the
// friendly names (standard output, or standard error where standard output carries JSON).
Worker ConnectWorker(SerialPortList& ports, std::FILE* namesOut = stdout);

}  // namespace quillon
