#include "sim/usb_device.h"

#include <algorithm>
#include <span>

namespace quillon::sim {

SimulatedUsbBridge::SimulatedUsbBridge() : SimulatedUsbBridge(std::vector<SimulatedUsbDeviceConfig>(1)) {}

SimulatedUsbBridge::SimulatedUsbBridge(std::vector<SimulatedUsbDeviceConfig> devices) {
  m_devices.reserve(devices.size());
  for (SimulatedUsbDeviceConfig& config : devices) {
    const DeviceFaults faults = config.faults;
    m_devices.push_back(Device{std::move(config), DeviceEngine(faults)});
  }
}

int SimulatedUsbBridge::GetNumDevices(std::uint32_t* count) {
  if (count == nullptr) return kUsbInvalidParameter;
  std::lock_guard lock(m_mutex);
  *count = static_cast<std::uint32_t>(std::count_if(
      m_devices.begin(), m_devices.end(), [](const Device& device) { return !device.engine.Unplugged(); }));
  return kUsbSuccess;
}

int SimulatedUsbBridge::GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) {
  if (buffer == nullptr || flags != kUsbSerialNumberString) return kUsbInvalidParameter;
  std::lock_guard lock(m_mutex);
  const Device* device = Listed(index);
  if (device == nullptr) return kUsbDeviceNotFound;
  if (!device->config.productStringReadable) return kUsbDeviceIoFailed;
  const std::string& text = device->config.productString;
  const std::size_t length = std::min<std::size_t>(text.size(), kUsbStringBufferSize - 1);
  std::copy_n(text.begin(), length, buffer);
  buffer[length] = '\0';
  return kUsbSuccess;
}

int SimulatedUsbBridge::Open(std::uint32_t index, UsbHandle* handle) {
  if (handle == nullptr) return kUsbInvalidParameter;
  std::lock_guard lock(m_mutex);
  Device* device = Listed(index);
  if (device == nullptr) return kUsbDeviceNotFound;
  // Like the real bridge, a device serves one opener at a time.
  if (device->open) return kUsbDeviceIoFailed;
  device->open = true;
  const std::size_t place = static_cast<std::size_t>(device - m_devices.data());
  *handle = m_nextHandle++;
  m_sessions.emplace(*handle, Session{place, device->pluggings});
  return kUsbSuccess;
}

int SimulatedUsbBridge::Close(UsbHandle handle) {
  std::lock_guard lock(m_mutex);
  const auto session = m_sessions.find(handle);
  if (session == m_sessions.end()) return kUsbInvalidHandle;
  Device& device = m_devices[session->second.device];
  if (session->second.plugging == device.pluggings) {
    device.open = false;
    device.engine.ForgetReadableBlocks();
  }
  m_sessions.erase(session);
  return kUsbSuccess;
}

int SimulatedUsbBridge::Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count,
                             std::uint32_t* transferred) {
  return Transfer(handle, buffer, count, transferred, kUsbReadError, [&](DeviceEngine& engine) {
    return engine.ReadBlock(std::span<std::uint8_t, kPayloadSize>(buffer, kPayloadSize));
  });
}

int SimulatedUsbBridge::Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t* transferred) {
  return Transfer(handle, buffer, count, transferred, kUsbWriteError, [&](DeviceEngine& engine) {
    return engine.WriteBlock(std::span<const std::uint8_t, kPayloadSize>(buffer, kPayloadSize));
  });
}

int SimulatedUsbBridge::Transfer(UsbHandle handle, const void* buffer, std::uint32_t count,
                                 std::uint32_t* transferred, int lostStatus,
                                 const std::function<BlockTransfer(DeviceEngine&)>& move) {
  if (transferred != nullptr) *transferred = 0;
  if (buffer == nullptr || transferred == nullptr) return kUsbInvalidParameter;
  if (count != kPayloadSize) return kUsbInvalidRequestLength;
  std::lock_guard lock(m_mutex);
  Device* device = Served(handle);
  if (device == nullptr) return kUsbInvalidHandle;
  const BlockTransfer moved = move(device->engine);
  const std::optional<UsbTransferFault>& fault = device->engine.Faults().usbTransferFault;
  if (moved == BlockTransfer::kDone && fault && fault->transfer == device->engine.Counters().exchanges) {
    // The block reached its end; the library's account of it is what fails.
    *transferred = fault->failure == UsbTransferFailure::kShort ? kPayloadSize - 1 : kPayloadSize;
    return fault->failure == UsbTransferFailure::kShort ? kUsbSuccess : lostStatus;
  }
  switch (moved) {
    case BlockTransfer::kDone:
      *transferred = kPayloadSize;
      return kUsbSuccess;
    case BlockTransfer::kNothingReadable:
      // The real library would wait out its read time-out first; tests should not.
      return kUsbReadTimedOut;
    case BlockTransfer::kLost:
      return lostStatus;
    case BlockTransfer::kUnplugged:
      break;
  }
  return kUsbDeviceIoFailed;
}

int SimulatedUsbBridge::SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) {
  std::lock_guard lock(m_mutex);
  m_timeouts = {readTimeout, writeTimeout};
  return kUsbSuccess;
}

void SimulatedUsbBridge::Unplug(std::size_t device) {
  std::lock_guard lock(m_mutex);
  m_devices.at(device).engine.Unplug();
}

void SimulatedUsbBridge::Replug(std::size_t device) {
  std::lock_guard lock(m_mutex);
  Device& replugged = m_devices.at(device);
  if (!replugged.engine.Unplugged()) return;
  replugged.engine.Replug();
  ++replugged.pluggings;
  replugged.open = false;
}

bool SimulatedUsbBridge::IsOpen(std::size_t device) const {
  std::lock_guard lock(m_mutex);
  return m_devices.at(device).open;
}

UsbTimeouts SimulatedUsbBridge::Timeouts() const {
  std::lock_guard lock(m_mutex);
  return m_timeouts;
}

SimulatedUsbBridge::Device* SimulatedUsbBridge::Listed(std::uint32_t index) {
  for (Device& device : m_devices) {
    if (device.engine.Unplugged()) continue;
    if (index == 0) return &device;
    --index;
  }
  return nullptr;
}

SimulatedUsbBridge::Device* SimulatedUsbBridge::Served(UsbHandle handle) {
  const auto session = m_sessions.find(handle);
  if (session == m_sessions.end()) return nullptr;
  Device& device = m_devices[session->second.device];
  return session->second.plugging == device.pluggings ? &device : nullptr;
}

}  // namespace quillon::sim
