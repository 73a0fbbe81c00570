// The USB device of the link: opened by the connection attempt, closed when the link fails or the
// dialog ends.
#include <algorithm>
#include <iterator>

#include "station/connection/discovery.h"
#include "station/quillon_dlg.h"

namespace quillon {

int CQuillonDlg::OpenUsbDevice(const std::string& wanted) {
  // A device still open from an earlier link would otherwise be lost track of.
  CloseUsbDevice();
  m_productList.clear();
  m_productIndices.clear();

  std::uint32_t count = 0;
  if (m_usb.GetNumDevices(&count) != kUsbSuccess) return 0;
  for (std::uint32_t index = 0; index < count; ++index) {
    char deviceString[kUsbStringBufferSize] = {};
    if (m_usb.GetProductString(index, deviceString, kUsbSerialNumberString) != kUsbSuccess) continue;
    deviceString[kUsbStringBufferSize - 1] = '\0';  // a library that fills the buffer is cut short
    m_productList.emplace_back(deviceString);
    m_productIndices.push_back(index);
  }
  const auto match = std::ranges::find(m_productList, wanted);
  m_usb.SetTimeouts(kUsbTimeoutMs, kUsbTimeoutMs);
  if (match == m_productList.end()) return 0;

  m_usbIndex = m_productIndices[static_cast<std::size_t>(std::distance(m_productList.begin(), match))];
  UsbHandle opened = kNoUsbDevice;
  if (m_usb.Open(m_usbIndex, &opened) != kUsbSuccess) return 0;
  m_usbHandle.store(opened);
  return 1;
}

void CQuillonDlg::CloseUsbDevice() {
  const UsbHandle handle = m_usbHandle.exchange(kNoUsbDevice);
  if (handle != kNoUsbDevice) m_usb.Close(handle);
}

}  // namespace quillon
