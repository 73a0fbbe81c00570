#include "sim/usb_device.h"

#include <algorithm>
#include <span>

namespace quillon::sim {

SimulatedUsbBridge::SimulatedUsbBridge() : SimulatedUsbBridge(std::vector<SimulatedUsbDeviceConfig>(1)) {}

SimulatedUsbBridge::SimulatedUsbBridge(std::vector<SimulatedUsbDeviceConfig> devices) {
  devices_.reserve(devices.size());
  for (SimulatedUsbDeviceConfig& config : devices) {
    const DeviceFaults faults = config.faults;
    devices_.push_back(Device{std::move(config), DeviceEngine(faults)});
  }
}

int SimulatedUsbBridge::GetNumDevices(std::uint32_t* count) {
  if (count == nullptr) return kUsbInvalidParameter;
  std::lock_guard lock(mutex_);
  *count = static_cast<std::uint32_t>(std::count_if(
      devices_.begin(), devices_.end(), [](const Device& device) { return !device.engine.Unplugged(); }));
  return kUsbSuccess;
}

int SimulatedUsbBridge::GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) {
  if (buffer == nullptr || flags != kUsbSerialNumberString) return kUsbInvalidParameter;
  std::lock_guard lock(mutex_);
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
  std::lock_guard lock(mutex_);
  Device* device = Listed(index);
  if (device == nullptr) return kUsbDeviceNotFound;
  // Like the real bridge, a device serves one opener at a time.
  if (device->open) return kUsbDeviceIoFailed;
  device->open = true;
  const std::size_t place = static_cast<std::size_t>(device - devices_.data());
  *handle = nextHandle_++;
  sessions_.emplace(*handle, Session{place, device->pluggings});
  return kUsbSuccess;
}

int SimulatedUsbBridge::Close(UsbHandle handle) {
  std::lock_guard lock(mutex_);
  const auto session = sessions_.find(handle);
  if (session == sessions_.end()) return kUsbInvalidHandle;
  Device& device = devices_[session->second.device];
  if (session->second.plugging == device.pluggings) {
    device.open = false;
    device.engine.ForgetReadableBlocks();
  }
  sessions_.erase(session);
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
  std::lock_guard lock(mutex_);
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
  std::lock_guard lock(mutex_);
  timeouts_ = {readTimeout, writeTimeout};
  return kUsbSuccess;
}

void SimulatedUsbBridge::Unplug(std::size_t device) {
  std::lock_guard lock(mutex_);
  devices_.at(device).engine.Unplug();
}

void SimulatedUsbBridge::Replug(std::size_t device) {
  std::lock_guard lock(mutex_);
  Device& replugged = devices_.at(device);
  if (!replugged.engine.Unplugged()) return;
  replugged.engine.Replug();
  ++replugged.pluggings;
  replugged.open = false;
}

bool SimulatedUsbBridge::IsOpen(std::size_t device) const {
  std::lock_guard lock(mutex_);
  return devices_.at(device).open;
}

UsbTimeouts SimulatedUsbBridge::Timeouts() const {
  std::lock_guard lock(mutex_);
  return timeouts_;
}

SimulatedUsbBridge::Device* SimulatedUsbBridge::Listed(std::uint32_t index) {
  for (Device& device : devices_) {
    if (device.engine.Unplugged()) continue;
    if (index == 0) return &device;
    --index;
  }
  return nullptr;
}

SimulatedUsbBridge::Device* SimulatedUsbBridge::Served(UsbHandle handle) {
  const auto session = sessions_.find(handle);
  if (session == sessions_.end()) return nullptr;
  Device& device = devices_[session->second.device];
  return session->second.plugging == device.pluggings ? &device : nullptr;
}

}  // namespace quillon::sim
