// On Linux the loader finds the library where the system keeps libraries; it says where only once it
// has loaded it, and there is no folder of the program's to put it in.
#include "link/diagnosis/usb_library_check.h"
#include "link/usb/library_width.h"
#include "link/usb/usb_library_bridge.h"

namespace quillon {

UsbLibraryLook LookAtUsbLibrary() {
  UsbLibraryLook look;
  look.fileName = LibraryFileName(kUsbLibraryName);
  UsbLibraryBridge bridge;
  look.usable = bridge.Available();
  look.problem = bridge.UnusableReason();
  look.widthBits = look.usable ? kProgramWidthBits : 0;
  if (look.usable && bridge.GetNumDevices(&look.devices) != kUsbSuccess) look.devices = 0;
  return look;
}

}  // namespace quillon
