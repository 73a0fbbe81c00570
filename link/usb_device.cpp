// The USB device of the link: opened by the connection attempt, closed when the link fails or the
// dialog ends.
#include "app/quillon_dlg.h"

namespace quillon {

void CQuillonDlg::CloseUsbDevice() {
  const UsbHandle handle = m_usbHandle.exchange(kNoUsbDevice);
  if (handle != kNoUsbDevice) m_usb.Close(handle);
}

}  // namespace quillon
