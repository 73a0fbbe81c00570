#include "link/event_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>

namespace quillon {
namespace {

bool Readable(int fd) {
  pollfd wait{fd, POLLIN, 0};
  return ::poll(&wait, 1, 0) == 1 && (wait.revents & POLLIN);
}

bool IsOpenDescriptor(int fd) {
  return ::fcntl(fd, F_GETFD) != -1;
}

TEST(EventFd, StaysSignalledUntilReset) {
  EventFd event;
  EXPECT_FALSE(event.IsOpen());
  event.Signal();  // nothing to signal yet
  ASSERT_TRUE(event.Create());
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(Readable(event.fd()));

  event.Signal();
  event.Signal();
  EXPECT_TRUE(event.IsSignalled());
  EXPECT_TRUE(Readable(event.fd()));
  EXPECT_TRUE(Readable(event.fd()));  // a wait does not consume it

  event.Reset();  // once, however often it was signalled
  EXPECT_FALSE(event.IsSignalled());
  EXPECT_FALSE(Readable(event.fd()));
}

TEST(EventFd, CreateKeepsAnExistingEvent) {
  EventFd event;
  ASSERT_TRUE(event.Create());
  const int fd = event.fd();
  event.Signal();
  ASSERT_TRUE(event.Create());
  EXPECT_EQ(event.fd(), fd);
  EXPECT_TRUE(event.IsSignalled());
}

TEST(FileDescriptor, ClosesWhatItOwnsAndHandsOwnershipOn) {
  int raw = -1;
  {
    FileDescriptor first(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    raw = first.get();
    ASSERT_TRUE(IsOpenDescriptor(raw));
    FileDescriptor second(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(second.get(), raw);
    first = std::move(second);
    EXPECT_EQ(first.get(), raw);
    EXPECT_TRUE(IsOpenDescriptor(raw));
  }
  EXPECT_FALSE(IsOpenDescriptor(raw));

  FileDescriptor owner(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  const int released = owner.release();
  EXPECT_FALSE(owner.valid());
  EXPECT_TRUE(IsOpenDescriptor(released));
  owner.reset(released);
  owner.reset();
  EXPECT_FALSE(IsOpenDescriptor(released));
}

}  // namespace
}  // namespace quillon
