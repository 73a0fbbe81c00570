// Hears from the system that a device has come or gone, so that the station need not wait for its
// watchdog's next look: a serial port or USB device added or removed, or a name appearing at (or
// leaving) a given port's path. It calls back on a thread of its own, and only says that something
// changed; what is there now is for the connection attempt to find.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quillon {

struct DeviceWatch {
  // The system's serial ports and USB devices (udev on Linux, device notifications on Windows).
  bool systemDevices = false;
  // A port given by path: its folder is watched for the name coming, going or changing (Linux; a
  // pseudo-terminal's link never goes through udev). Empty: none.
  std::string portPath;
};

class DeviceWatcher {
 public:
  using Callback = std::function<void()>;

  // Starts watching what `watch` names; onChange runs on the watcher's thread (or the system's) for
  // each change, and must return soon. A source the system cannot watch is left out: the watchdog still
  // finds the device at its own pace. Returns a watcher even when nothing could be watched.
  static std::unique_ptr<DeviceWatcher> Start(const DeviceWatch& watch, Callback onChange);

  // Returns once no callback runs or will run.
  virtual ~DeviceWatcher() = default;
  DeviceWatcher(const DeviceWatcher&) = delete;
  DeviceWatcher& operator=(const DeviceWatcher&) = delete;

  // How many sources are watched (0: none could be).
  virtual int SourcesWatched() const = 0;

 protected:
  DeviceWatcher() = default;
};

}  // namespace quillon
