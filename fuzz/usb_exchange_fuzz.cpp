// Any transfers the USB bridge library may report, between and during armed exchanges. On USB an
// exchange is one 34-byte block each way: a command written, or a reply read. It must succeed exactly
// when its answer is whole and fresh: the library moved all 34 bytes and reported success, in this
// exchange's own transfer, on the handle the link opened (never one an earlier failure closed). A read
// that succeeds delivers exactly the bytes that transfer brought; an exchange that fails takes the link
// down: the handle closed once, no link, "USB device error" in a box and the status saying the link was
// lost. Short reads and writes, more bytes than asked for, wrong statuses, bytes from serial ports and
// links opened again come in any order.
//
// The input is a script of steps, each a byte and what it needs: the device plugged in again (a link
// armed on a new handle), a command written, a reply read, or bytes arriving on a serial port while the
// link is USB. The bridge here is a fake that does what the script says and checks how it is called.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "link/frame.h"
#include "link/link_status.h"
#include "link/usb/usb_bridge.h"
#include "station/connection/discovery.h"
#include "station/exchange_texts.h"
#include "station/quillon_dlg.h"
#include "station/shared_state.h"
#include "station/silent_view.h"

namespace {

using namespace quillon;
using quillon::fuzz::Require;

constexpr int kMostExchanges = 64;  // an input's exchanges, so that one input stays quick
constexpr int kNoSuchHandle = 1;    // the library's status for a handle it does not know

// How the library answers the next transfer: how many bytes it reports, its status, and the bytes it
// puts into a read's buffer (as many as it reports, at most the 34 asked for).
struct TransferPlan {
  std::uint32_t transferred = kPayloadSize;
  int status = kUsbSuccess;
  std::array<std::uint8_t, kPayloadSize> bytes{};
};

// One device named as the station looks for it, opened on a new handle each time; every transfer is
// told what to do by the plan of the step in hand.
class ScriptedBridge final : public UsbBridge {
 public:
  int GetNumDevices(std::uint32_t* count) override {
    *count = 1;
    return kUsbSuccess;
  }
  int GetProductString(std::uint32_t, char* buffer, std::uint32_t) override {
    std::strcpy(buffer, kUsbDeviceString);
    return kUsbSuccess;
  }
  int Open(std::uint32_t, UsbHandle* handle) override {
    *handle = ++m_lastHandle;
    m_open.insert(*handle);
    return kUsbSuccess;
  }
  int Close(UsbHandle handle) override {
    Require(m_open.erase(handle) == 1, "only an open handle is closed, and only once");
    ++closes;
    return kUsbSuccess;
  }
  int Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override {
    if (!Transfer(handle, count)) return kNoSuchHandle;
    std::copy_n(plan.bytes.begin(), std::min<std::uint32_t>(plan.transferred, kPayloadSize), buffer);
    *transferred = plan.transferred;
    return plan.status;
  }
  int Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
            std::uint32_t* transferred) override {
    if (!Transfer(handle, count)) return kNoSuchHandle;
    written.assign(buffer, buffer + count);
    *transferred = plan.transferred;
    return plan.status;
  }
  int SetTimeouts(std::uint32_t, std::uint32_t) override { return kUsbSuccess; }

  bool IsOpen(UsbHandle handle) const { return m_open.contains(handle); }
  UsbHandle LastHandle() const { return m_lastHandle; }

  TransferPlan plan;
  int transfers = 0;
  int closes = 0;
  std::vector<std::uint8_t> written;

 private:
  bool Transfer(UsbHandle handle, std::uint32_t count) {
    ++transfers;
    Require(count == kPayloadSize, "a transfer asks for one 34-byte block");
    Require(IsOpen(handle), "a transfer goes to the handle the link opened");
    return IsOpen(handle);
  }

  UsbHandle m_lastHandle = 100;
  std::set<UsbHandle> m_open;
};

// Counts the boxes the station shows; every box here is the USB failure's.
class CountingView final : public SilentView {
 public:
  void ShowMessageBox(const std::string& text, const std::string&, MessageIcon) override {
    Require(text == kUsbFailureText, "the only box on a USB link's failure is the USB device error");
    ++boxes;
  }
  int boxes = 0;
};

class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : m_bytes(data, size) {}
  bool Done() const { return m_bytes.empty(); }
  std::uint8_t Byte() {
    if (m_bytes.empty()) return 0;
    const std::uint8_t byte = m_bytes.front();
    m_bytes = m_bytes.subspan(1);
    return byte;
  }
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::span<const std::uint8_t> taken = m_bytes.first(std::min(count, m_bytes.size()));
    m_bytes = m_bytes.subspan(taken.size());
    return taken;
  }
  // A transfer's outcome: most often the whole block with success, so that scripts get far.
  TransferPlan Plan() {
    TransferPlan plan;
    const std::uint8_t how = Byte();
    if (how >= 0x80) {
      // Any count up to a few bytes more than asked for, and any status, success included.
      plan.transferred = Byte() % (kPayloadSize + 8);
      plan.status = how & 0x40 ? kUsbSuccess : static_cast<int>(how & 0x3F);
    }
    const std::span<const std::uint8_t> bytes = Bytes(how & 0x01 ? kPayloadSize : 0);
    std::ranges::copy(bytes, plan.bytes.begin());
    return plan;
  }

 private:
  std::span<const std::uint8_t> m_bytes;
};

// The dialog on its own dialog thread, made once for the process and never taken down. Exchanges run
// on the fuzzer's thread, a worker as far as the dialog is concerned: on USB they never wait.
struct Station {
  Station() : dlg(view, dialogThread, usb, StationTiming{.timerPeriod = std::chrono::milliseconds(0)}) {
    dialogThread.Start(
        [this](std::uint32_t m, std::uintptr_t w, std::intptr_t l) { dlg.OnMessage(m, w, l); });
  }
  CountingView view;
  DialogThread dialogThread;
  ScriptedBridge usb;
  CQuillonDlg dlg;
};

Station& TheStation() {
  static Station* station = new Station;
  return *station;
}

// The device plugged in again, as the connection attempt links it: a new handle, the USB link kind.
void ArmLink(Station& station) {
  Require(station.dlg.OpenUsbDevice(kUsbDeviceString) == 1, "the device is found and opened");
  Require(station.usb.IsOpen(station.usb.LastHandle()), "the link holds the handle it opened");
  g_linkKind.store(kUsbLinkKind);
  station.dlg.ShowLinkStatus(LinkedOverUsbText());
}

void RunExchange(Station& station, Script& script, bool read) {
  if (g_linkKind.load() != kUsbLinkKind) ArmLink(station);
  const UsbHandle handle = station.usb.LastHandle();
  std::array<std::uint8_t, kPayloadSize> command{};
  if (!read) std::ranges::copy(script.Bytes(kPayloadSize), command.begin());
  std::ranges::copy(command, g_txPayload);
  station.usb.plan = script.Plan();
  const TransferPlan& plan = station.usb.plan;
  // No reply from an earlier exchange may pass for this one's.
  std::ranges::fill(g_rxPayload, static_cast<std::uint8_t>(~plan.bytes[0]));
  const int transfersBefore = station.usb.transfers;
  const int closesBefore = station.usb.closes;
  const int boxesBefore = station.view.boxes;

  const int result = read ? station.dlg.FetchReply(script.Byte() % 8 + 1) : station.dlg.ExchangeCommand(6);

  const bool whole = plan.transferred == kPayloadSize && plan.status == kUsbSuccess;
  Require(station.usb.transfers == transfersBefore + 1, "an exchange on USB is exactly one transfer");
  Require(g_usbTransferred.load() == plan.transferred, "the count the library reported is kept");
  Require(result == (whole ? 1 : 0), "an exchange succeeds exactly when its block moved whole, with success");
  if (!read) {
    Require(std::ranges::equal(station.usb.written, command), "a command's block is the payload, whole");
  }
  if (whole) {
    if (read) {
      Require(std::ranges::equal(plan.bytes, std::span<const std::uint8_t>(g_rxPayload)),
              "a reply read whole is the bytes of this transfer");
    }
    Require(g_linkKind.load() == kUsbLinkKind && station.usb.IsOpen(handle),
            "a good exchange keeps the link");
    Require(station.usb.closes == closesBefore && station.view.boxes == boxesBefore,
            "a good exchange closes nothing and shows no box");
  } else {
    Require(g_linkKind.load() == kNoLink, "a failed exchange takes the link down");
    Require(!station.usb.IsOpen(handle) && station.usb.closes == closesBefore + 1,
            "a failed exchange closes the link's handle, once");
    Require(station.view.boxes == boxesBefore + 1, "a failed exchange says so in one box");
    Require(station.dlg.LinkStatus() == LinkLostText(), "the status says the link was lost");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Station& station = TheStation();
  ResetSharedState();
  station.dlg.CloseUsbDevice();
  ArmLink(station);
  Script script(data, size);
  for (int exchanges = 0; !script.Done();) {
    const std::uint8_t step = script.Byte();
    switch (step % 4) {
      case 0:
        ArmLink(station);
        break;
      case 1: {
        // Bytes on a serial port, a header among them maybe, reach the dialog while the link is USB:
        // they answer no USB exchange.
        const std::span<const std::uint8_t> stray = script.Bytes(step / 4);
        station.dialogThread.SendEach(WM_SERIAL_BYTE, stray, 5);
        if (step & 0x80) station.dialogThread.SendEach(WM_SERIAL_BYTE, std::span(kFrameHeader), 5);
        break;
      }
      default:
        if (++exchanges > kMostExchanges) return 0;
        RunExchange(station, script, step % 4 == 3);
        break;
    }
  }
  return 0;
}
