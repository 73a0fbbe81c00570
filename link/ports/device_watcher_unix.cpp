// Linux: udev's monitor for the tty and usb subsystems, and inotify on the folder of a port given by
// path, polled on one thread beside an eventfd that ends it.
#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>

#include <array>
#include <filesystem>
#include <thread>
#include <utility>

#include "link/os/event_fd.h"
#include "link/os/file_descriptor.h"
#include "link/ports/device_watcher.h"

namespace quillon {
namespace {

struct UdevDeleter {
  void operator()(udev* context) const { udev_unref(context); }
  void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
  void operator()(udev_device* device) const { udev_device_unref(device); }
};
using UdevContext = std::unique_ptr<udev, UdevDeleter>;
using UdevMonitor = std::unique_ptr<udev_monitor, UdevDeleter>;
using UdevDevice = std::unique_ptr<udev_device, UdevDeleter>;

// The events of a name in the watched folder that may make it a port or take it away: made, renamed
// over (the simulator's link), deleted or renamed away, or its owner or mode set (udev's rules give a
// device node its group after the kernel has made it).
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ATTRIB;

class UnixDeviceWatcher final : public DeviceWatcher {
 public:
  UnixDeviceWatcher(const DeviceWatch& watch, Callback onChange) : m_onChange(std::move(onChange)) {
    if (watch.systemDevices) WatchUdev();
    if (!watch.portPath.empty()) WatchFolderOf(watch.portPath);
    if (SourcesWatched() > 0 && m_stop.Create()) m_thread = std::thread(&UnixDeviceWatcher::Run, this);
  }

  ~UnixDeviceWatcher() override {
    if (!m_thread.joinable()) return;
    m_stop.Signal();
    m_thread.join();
  }

  int SourcesWatched() const override { return (m_monitor ? 1 : 0) + (m_inotify ? 1 : 0); }

 private:
  void WatchUdev() {
    UdevContext context(udev_new());
    if (!context) return;
    // "udev", not "kernel": the events come once udev has made the node and given it its group.
    UdevMonitor monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0) {
      return;
    }
    m_udev = std::move(context);
    m_monitor = std::move(monitor);
  }

  void WatchFolderOf(const std::string& portPath) {
    const std::filesystem::path path(portPath);
    m_watchedName = path.filename().string();
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify || ::inotify_add_watch(inotify.get(), folder.c_str(), kNameEvents) < 0) return;
    m_inotify = std::move(inotify);
  }

  void Run() {
    std::array<pollfd, 3> waitSet{};
    waitSet[0] = {.fd = m_stop.fd(), .events = POLLIN, .revents = 0};
    waitSet[1] = {
        .fd = m_monitor ? udev_monitor_get_fd(m_monitor.get()) : -1, .events = POLLIN, .revents = 0};
    waitSet[2] = {.fd = m_inotify ? m_inotify.get() : -1, .events = POLLIN, .revents = 0};
    while (true) {
      if (::poll(waitSet.data(), waitSet.size(), -1) < 0) continue;  // EINTR
      if (waitSet[0].revents != 0) return;
      bool changed = false;
      if (waitSet[1].revents != 0) changed |= TakeUdevEvents();
      if (waitSet[2].revents != 0) changed |= TakeFolderEvents();
      if (changed) m_onChange();
    }
  }

  // True when a device was added or removed; other actions (bind, change, ...) say nothing new.
  bool TakeUdevEvents() {
    bool changed = false;
    while (UdevDevice device{udev_monitor_receive_device(m_monitor.get())}) {
      const char* action = udev_device_get_action(device.get());
      if (action == nullptr) continue;
      const std::string_view what(action);
      changed |= what == "add" || what == "remove";
    }
    return changed;
  }

  // True when an event named the watched name; also when events were lost, which may have hidden one.
  bool TakeFolderEvents() {
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> buffer{};
    for (ssize_t length; (length = ::read(m_inotify.get(), buffer.data(), buffer.size())) > 0;) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
        if ((event->mask & IN_Q_OVERFLOW) != 0) changed = true;
        if (event->len > 0 && m_watchedName == event->name) changed = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return changed;
  }

  Callback m_onChange;
  UdevContext m_udev;
  UdevMonitor m_monitor;
  FileDescriptor m_inotify;
  std::string m_watchedName;
  EventFd m_stop;
  std::thread m_thread;
};

}  // namespace

std::unique_ptr<DeviceWatcher> DeviceWatcher::Start(const DeviceWatch& watch, Callback onChange) {
  return std::make_unique<UnixDeviceWatcher>(watch, std::move(onChange));
}

}  // namespace quillon
