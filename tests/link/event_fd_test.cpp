#include "link/os/event_fd.h"

#include <gtest/gtest.h>
#include <poll.h>

namespace quillon {
namespace {

bool Readable(int fd) {
  pollfd wait{fd, POLLIN, 0};
  return ::poll(&wait, 1, 0) == 1 && (wait.revents & POLLIN);
}

TEST(EventFd, StaysSignalledUntilResetAndSurvivesARepeatedCreate) {
  EventFd event;
  event.Signal();  // nothing to signal yet
  ASSERT_TRUE(event.Create());
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(Readable(event.fd()));

  event.Signal();
  event.Signal();
  EXPECT_TRUE(Readable(event.fd()));
  EXPECT_TRUE(Readable(event.fd()));  // a wait does not consume it
  const int fd = event.fd();
  ASSERT_TRUE(event.Create());
  EXPECT_EQ(event.fd(), fd);
  EXPECT_TRUE(event.IsSignalled());

  event.Reset();  // once, however often it was signalled
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(Readable(event.fd()));
}

}  // namespace
}  // namespace quillon
