#include "link/ports/device_watcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "link/os/temporary_directory.h"

namespace quillon {
namespace {

class CallCounter {
 public:
  void Count() {
    std::scoped_lock guard(m_lock);
    ++m_calls;
    m_changed.notify_all();
  }
  // The calls once there have been at least `least`; the limit only keeps a broken test from hanging.
  int WaitFor(int least) {
    std::unique_lock guard(m_lock);
    m_changed.wait_for(guard, std::chrono::seconds(20), [&] { return m_calls >= least; });
    return m_calls;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  int m_calls = 0;
};

TEST(DeviceWatcherTest, TellsOfTheGivenPortsNameComingAndGoingAndOfNoOtherName) {
  TemporaryDirectory folder("quillon-watch");
  ASSERT_TRUE(folder.Made());
  const std::filesystem::path port = folder.Path() / "tty";
  CallCounter calls;
  const auto watcher = DeviceWatcher::Start({.portPath = port.string()}, [&] { calls.Count(); });
  ASSERT_EQ(watcher->SourcesWatched(), 1);

  // Another name first: the folder's events come in order, so the port's own call is the only one.
  ASSERT_EQ(::symlink("/dev/null", (folder.Path() / "other").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", port.c_str()), 0);
  EXPECT_EQ(calls.WaitFor(1), 1);

  ASSERT_EQ(::unlink(port.c_str()), 0);
  EXPECT_EQ(calls.WaitFor(2), 2);
}

TEST(DeviceWatcherTest, WatchesNothingWhereThePortsFolderIsMissing) {
  const auto watcher = DeviceWatcher::Start({.portPath = "/nonexistent-quillon/tty"}, [] {});
  EXPECT_EQ(watcher->SourcesWatched(), 0);
}

}  // namespace
}  // namespace quillon
