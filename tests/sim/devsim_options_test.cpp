#include "sim/devsim_options.h"

#include <gtest/gtest.h>

namespace quillon::sim {
namespace {

TEST(SimOptions, NoArgumentsMeanAFaultlessDeviceWithoutPacing) {
  const DevsimParse parse = ParseDevsimOptions({});
  ASSERT_EQ(parse.error, "");
  const DevsimOptions& options = parse.options;
  EXPECT_FALSE(options.help);
  EXPECT_TRUE(options.dumpPath.empty());
  EXPECT_TRUE(options.device.linkPath.empty());
  EXPECT_EQ(options.device.emulatedBaud, 0u);
  const DeviceFaults& faults = options.device.faults;
  EXPECT_EQ(faults.noReplyTo, 0u);
  EXPECT_FALSE(faults.corruptReadBack);
  EXPECT_FALSE(faults.unplugAfterPages);
  EXPECT_EQ(faults.garbageBeforeReplies, 0u);
  EXPECT_FALSE(faults.handshakeless);
}

TEST(SimOptions, EveryOptionReachesItsSetting) {
  const DevsimParse parse =
      ParseDevsimOptions({"--link", "/tmp/ttyW", "--dump", "out.bin", "--baud-delay", "460800", "--no-reply",
                          "7", "--corrupt-offset", "0xff", "--corrupt-page", "0x061500", "--unplug-after",
                          "3", "--garbage", "4", "--no-handshake"});
  ASSERT_EQ(parse.error, "");
  const DevsimOptions& options = parse.options;
  EXPECT_EQ(options.device.linkPath, "/tmp/ttyW");
  EXPECT_EQ(options.dumpPath, "out.bin");
  EXPECT_EQ(options.device.emulatedBaud, 460800u);
  const DeviceFaults& faults = options.device.faults;
  EXPECT_EQ(faults.noReplyTo, 7u);
  ASSERT_TRUE(faults.corruptReadBack);
  EXPECT_EQ(faults.corruptReadBack->pageOffset, 255);
  EXPECT_EQ(faults.corruptReadBack->pageAddress, 0x061500u);
  EXPECT_EQ(faults.unplugAfterPages, 3u);
  EXPECT_EQ(faults.garbageBeforeReplies, 4u);
  EXPECT_TRUE(faults.handshakeless);
}

TEST(SimOptions, CorruptionWithoutAPageHitsEveryPage) {
  const DevsimParse parse = ParseDevsimOptions({"--corrupt-offset", "0"});
  ASSERT_EQ(parse.error, "");
  ASSERT_TRUE(parse.options.device.faults.corruptReadBack);
  EXPECT_EQ(parse.options.device.faults.corruptReadBack->pageOffset, 0);
  EXPECT_FALSE(parse.options.device.faults.corruptReadBack->pageAddress);
}

TEST(SimOptions, HelpIsAskedForAndListsEveryOption) {
  EXPECT_TRUE(ParseDevsimOptions({"--help"}).options.help);
  const std::string usage = DevsimUsage();
  for (const char* option : {"--link", "--dump", "--baud-delay", "--no-reply", "--corrupt-offset",
                             "--corrupt-page", "--unplug-after", "--garbage", "--no-handshake", "--help"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

TEST(SimOptions, RefusesBadCommandLinesWithAReason) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
      {{"extra"}, "unknown option 'extra'"},
      {{"--dump"}, "'--dump' needs a value"},
      {{"--link", ""}, "'--link' needs a path"},
      {{"--no-reply", "x"}, "'x' is not a number"},
      {{"--no-reply", "-1"}, "'-1' is not a number"},
      {{"--unplug-after", "3pages"}, "'3pages' is not a number"},
      {{"--corrupt-offset", "256"}, "from 0 to 255"},
      {{"--corrupt-page", "0x1000000", "--corrupt-offset", "1"}, "from 0 to 16777215"},
      {{"--corrupt-page", "0x100"}, "'--corrupt-page' needs '--corrupt-offset'"},
      {{"--garbage", "100000"}, "from 0 to 4096"},
      {{"--baud-delay", "99999999999"}, "is not a number"},
  };
  for (const auto& [arguments, reason] : cases) {
    const DevsimParse parse = ParseDevsimOptions(arguments);
    EXPECT_NE(parse.error.find(reason), std::string::npos) << arguments[0] << ": " << parse.error;
  }
}

}  // namespace
}  // namespace quillon::sim
