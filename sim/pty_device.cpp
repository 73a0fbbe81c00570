#include "sim/pty_device.h"

#include <sys/prctl.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "link/os/poll_timeout.h"
#include "sim/tty_link.h"
#include "sim/tty_settings.h"

namespace quillon::sim {
namespace {

using Clock = WirePacer::Clock;

Problem CannotPlugIn(std::string words) {
  return {ProblemKind::kSystem, std::move(words)};
}

void ReportFailure(const char* step) {
  std::fprintf(stderr, "simulated device: %s: %s\n", step, std::strerror(errno));
}

}  // namespace

Result<std::unique_ptr<PtyDevice>> PtyDevice::Create(const PtyDeviceOptions& options) {
  std::unique_ptr<PtyDevice> device(new PtyDevice(options));
  if (!device->m_wake.valid())
    return CannotPlugIn(std::string("cannot make an eventfd: ") + std::strerror(errno));
  if (Result<void> plugged = device->PlugIn(); !plugged) return plugged.Failure();
  return device;
}

PtyDevice::PtyDevice(const PtyDeviceOptions& options)
    : m_linkPath(options.linkPath),
      m_emulatedBaud(options.emulatedBaud),
      m_delivery(options.delivery),
      m_answerDelay(options.answerDelay),
      m_wakefulness(options.wakefulness),
      m_engine(options.faults),
      m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PtyDevice::~PtyDevice() {
  std::lock_guard control(m_controlMutex);
  StopServing();
  HangUp();
}

std::string PtyDevice::SlavePath() const {
  std::lock_guard lock(m_stateMutex);
  return m_slavePath;
}

bool PtyDevice::Plugged() const {
  std::lock_guard lock(m_stateMutex);
  return !m_slavePath.empty();
}

void PtyDevice::Unplug() {
  std::lock_guard control(m_controlMutex);
  StopServing();
  HangUp();
  std::lock_guard lock(m_engineMutex);
  m_engine.Unplug();
}

Result<void> PtyDevice::Replug() {
  std::lock_guard control(m_controlMutex);
  if (Plugged()) return {};
  // The serving thread may have hung up on its own; it has ended, but still needs joining.
  StopServing();
  {
    std::lock_guard lock(m_engineMutex);
    m_engine.Replug();
  }
  return PlugIn();
}

Result<void> PtyDevice::PlugIn() {
  // posix_openpt rather than openpty: it takes O_CLOEXEC, so no child of this process inherits the master.
  FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  std::array<char, 128> name{};
  if (!master.valid() || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
      ::ptsname_r(master.get(), name.data(), name.size()) != 0) {
    return CannotPlugIn(std::string("cannot make a pty: ") + std::strerror(errno));
  }
  FileDescriptor slave(::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  termios settings{};
  if (!slave.valid() || ::tcgetattr(slave.get(), &settings) != 0) {
    return CannotPlugIn(std::string("cannot open ") + name.data() + ": " + std::strerror(errno));
  }
  // Raw from the start: a pty echoes by default, and an echo would come back to the station as replies.
  ::cfmakeraw(&settings);
  if (::tcsetattr(slave.get(), TCSANOW, &settings) != 0 ||
      ::fcntl(master.get(), F_SETFL, ::fcntl(master.get(), F_GETFL) | O_NONBLOCK) != 0) {
    return CannotPlugIn(std::string("cannot set up ") + name.data() + ": " + std::strerror(errno));
  }
  if (!m_linkPath.empty()) {
    if (Result<void> linked = PointLink(m_linkPath, name.data()); !linked) return linked;
  }

  m_master = std::move(master);
  m_ownSlave = std::move(slave);
  {
    std::lock_guard lock(m_stateMutex);
    m_slavePath = name.data();
  }
  m_stopRequested = false;
  m_server = std::thread(&PtyDevice::Serve, this);
  return {};
}

void PtyDevice::StopServing() {
  if (!m_server.joinable()) return;
  m_stopRequested = true;
  const std::uint64_t one = 1;
  if (::write(m_wake.get(), &one, sizeof one) != sizeof one) ReportFailure("waking the serving thread");
  m_server.join();
}

void PtyDevice::HangUp() {
  {
    std::lock_guard lock(m_stateMutex);
    m_slavePath.clear();
  }
  // The link goes first: whoever sees the hangup must no longer find the name.
  if (!m_linkPath.empty()) RemoveLink(m_linkPath);
  m_ownSlave.reset();
  m_master.reset();
}

void PtyDevice::Serve() {
  ::prctl(PR_SET_TIMERSLACK, 1UL);
  // A fresh pacer for each plugging: the jitter is drawn again from the seed, as the device restarts.
  WirePacer pacer(m_emulatedBaud, m_delivery, m_answerDelay, m_wakefulness);
  std::vector<std::uint8_t> ready;  // delivered by the wire, not yet taken by the master
  std::array<std::uint8_t, 4096> received{};

  while (!m_stopRequested) {
    const Clock::time_point now = Clock::now();
    pacer.TakeDue(now, ready);
    if (!ready.empty() && !Send(ready)) return;

    const short events = static_cast<short>(POLLIN | (ready.empty() ? 0 : POLLOUT));
    std::array<pollfd, 2> watched = {{{m_wake.get(), POLLIN, 0}, {m_master.get(), events, 0}}};
    const std::optional<Clock::duration> nap = ready.empty() ? pacer.AllowedSleep(now) : std::nullopt;
    timespec timeout{};
    if (nap) {
      // Not sleeping: let whoever else waits run, the kernel's thread that moves bytes through the
      // pty among them.
      if (*nap == Clock::duration::zero()) ::sched_yield();
      timeout = ToTimespec(*nap);
    }
    if (::ppoll(watched.data(), watched.size(), nap ? &timeout : nullptr, nullptr) < 0) {
      if (errno == EINTR) continue;
      ReportFailure("poll");
      return;
    }

    if (watched[0].revents & POLLIN) {
      std::uint64_t count = 0;
      if (::read(m_wake.get(), &count, sizeof count) < 0 && errno != EAGAIN)
        ReportFailure("reading the wake-up");
      continue;
    }
    if (watched[1].revents & POLLIN) {
      const ssize_t length = ::read(m_master.get(), received.data(), received.size());
      if (length > 0) {
        if (!Receive(std::span(received.data(), static_cast<std::size_t>(length)), pacer)) {
          // Pulled out mid-stream: whatever the device had not sent yet is lost, as with a real cable.
          HangUp();
          return;
        }
      } else if (length < 0 && errno != EAGAIN && errno != EINTR) {
        ReportFailure("reading the pty");
        return;
      }
    } else if (watched[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      // Cannot happen while m_ownSlave is open; stopping beats spinning on it.
      ReportFailure("the pty hung up");
      return;
    }
  }
}

bool PtyDevice::Receive(std::span<const std::uint8_t> bytes, WirePacer& pacer) {
  const std::uint32_t baud = LineBaud(m_master.get());
  const Clock::time_point now = Clock::now();
  std::vector<std::uint8_t> reply;
  std::lock_guard lock(m_engineMutex);
  for (const std::uint8_t byte : bytes) {
    const Clock::time_point arrived = pacer.Arrive(now);
    reply.clear();
    m_engine.ReceiveSerialByte(byte, baud, reply);
    if (!reply.empty()) pacer.QueueAnswer(reply, arrived);
  }
  return !m_engine.Unplugged();
}

bool PtyDevice::Send(std::vector<std::uint8_t>& ready) {
  const ssize_t written = ::write(m_master.get(), ready.data(), ready.size());
  if (written > 0) {
    ready.erase(ready.begin(), ready.begin() + written);
  } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
    ReportFailure("writing the pty");
    return false;
  }
  return true;
}

}  // namespace quillon::sim
