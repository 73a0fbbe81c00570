#include "link/ports/port_socket_name.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "link/os/temporary_directory.h"
#include "tests/support/pty_pair.h"

namespace quillon {
namespace {

TEST(PortSocketNameTest, ATtyIsNamedByTheSocketLinkThatLeadsToIt) {
  testing::PtyPair socket1;
  testing::PtyPair socket2;
  ASSERT_TRUE(socket1.ok() && socket2.ok());
  TemporaryDirectory byPath("quillon-by-path-");
  ASSERT_TRUE(byPath.Made());
  const std::filesystem::path name1 = byPath.Path() / "pci-0000:00:14.0-usb-0:1:1.0-port0";
  const std::filesystem::path name2 = byPath.Path() / "pci-0000:00:14.0-usb-0:2:1.0-port0";
  std::filesystem::create_symlink(socket1.slavePath(), name1);
  std::filesystem::create_symlink(socket2.slavePath(), name2);
  EXPECT_EQ(PortSocketName(socket2.slavePath(), byPath.Path().string()), name2.string());
  EXPECT_EQ(PortSocketName(socket1.slavePath(), byPath.Path().string()), name1.string());
  EXPECT_EQ(PortSocketName("/dev/null", byPath.Path().string()), "");
}

}  // namespace
}  // namespace quillon
