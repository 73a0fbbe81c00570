#include "link/usb/usb_library_bridge.h"

#include <filesystem>
#include <string>
#include <type_traits>

#include "link/os/utf8_path.h"
#include "link/usb/library_width.h"

namespace quillon {
namespace {

// The operations the station uses. The Linux library exports them by name, the Windows DLL by ordinal.
struct UsbLibraryExport {
  const char* name;
  int ordinal;
};
constexpr UsbLibraryExport kGetNumDevices{"SI_GetNumDevices", 1};
constexpr UsbLibraryExport kGetProductString{"SI_GetProductString", 2};
constexpr UsbLibraryExport kOpen{"SI_Open", 3};
constexpr UsbLibraryExport kClose{"SI_Close", 4};
constexpr UsbLibraryExport kRead{"SI_Read", 6};
constexpr UsbLibraryExport kWrite{"SI_Write", 7};
constexpr UsbLibraryExport kSetTimeouts{"SI_SetTimeouts", 10};

void* AsLibraryHandle(UsbHandle handle) {
  return reinterpret_cast<void*>(handle);
}

// "a 32-bit library, and this station is 64-bit: run the 32-bit station instead"
std::string WidthMismatchText(int libraryBits) {
  const std::string library = std::to_string(libraryBits) + "-bit";
  return "is a " + library + " library, and this station is " + std::to_string(kProgramWidthBits) +
         "-bit: run the " + library + " station instead";
}

}  // namespace

UsbLibraryBridge::UsbLibraryBridge(const std::string& fileName) : m_library(fileName) {
  if (!m_library.Loaded()) {
    // The file's name alone: the status line has room for two lines.
    const std::string found = Utf8FromPath(PathFromUtf8(m_library.FoundFile()).filename());
    if (m_library.ForeignWidthBits() != 0) {
      m_problem = found + " " + WidthMismatchText(m_library.ForeignWidthBits());
    } else if (!found.empty()) {
      m_problem = found + " cannot be loaded: " + m_library.LoadError();
    } else {
      m_problem = m_library.LoadError();
    }
    return;
  }
  const auto resolve = [this, &fileName](const UsbLibraryExport& wanted, auto& call) {
    call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(
        m_library.Export(wanted.name, wanted.ordinal));
    if (call == nullptr && m_problem.empty()) {
      m_problem = fileName + " has no " + wanted.name + " (ordinal " + std::to_string(wanted.ordinal) +
                  "): it is not the USB library this station needs";
    }
  };
  resolve(kGetNumDevices, m_getNumDevices);
  resolve(kGetProductString, m_getProductString);
  resolve(kOpen, m_open);
  resolve(kClose, m_close);
  resolve(kRead, m_read);
  resolve(kWrite, m_write);
  resolve(kSetTimeouts, m_setTimeouts);
  m_available = m_problem.empty();
}

std::string UsbLibraryBridge::UnusableReason() const {
  return m_available || m_library.FoundFile().empty() ? std::string() : m_problem;
}

int UsbLibraryBridge::GetNumDevices(std::uint32_t* count) {
  if (!m_available) return kNoLibrary;
  return m_getNumDevices(count);
}

int UsbLibraryBridge::GetProductString(std::uint32_t index, char* buffer, std::uint32_t flags) {
  if (!m_available) return kNoLibrary;
  return m_getProductString(index, buffer, flags);
}

int UsbLibraryBridge::Open(std::uint32_t index, UsbHandle* handle) {
  if (!m_available) return kNoLibrary;
  void* opened = AsLibraryHandle(kNoUsbDevice);
  const int status = m_open(index, &opened);
  *handle = reinterpret_cast<UsbHandle>(opened);
  return status;
}

int UsbLibraryBridge::Close(UsbHandle handle) {
  if (!m_available) return kNoLibrary;
  return m_close(AsLibraryHandle(handle));
}

int UsbLibraryBridge::Read(UsbHandle handle, std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t* transferred) {
  if (!m_available) return kNoLibrary;
  return m_read(AsLibraryHandle(handle), buffer, count, transferred, nullptr);
}

int UsbLibraryBridge::Write(UsbHandle handle, const std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t* transferred) {
  if (!m_available) return kNoLibrary;
  // The library's write takes a non-const buffer but does not change it.
  return m_write(AsLibraryHandle(handle), const_cast<std::uint8_t*>(buffer), count, transferred, nullptr);
}

int UsbLibraryBridge::SetTimeouts(std::uint32_t readTimeout, std::uint32_t writeTimeout) {
  if (!m_available) return kNoLibrary;
  return m_setTimeouts(readTimeout, writeTimeout);
}

}  // namespace quillon
