#include "sim/devsim_options.h"

#include <gtest/gtest.h>

namespace quillon::sim {
namespace {

TEST(SimOptions, EveryOptionReachesItsSettingAndNoneMeansNoFault) {
  const Result<DevsimOptions> none = ParseDevsimOptions({});
  ASSERT_TRUE(none.Ok()) << none.Failure().words;
  EXPECT_EQ((*none).device.faults.noReplyTo, 0u);
  EXPECT_FALSE((*none).device.faults.corruptReadBack || (*none).device.faults.unplugAfterPages);

  const Result<DevsimOptions> all = ParseDevsimOptions(
      {"--link",         "/tmp/ttyW", "--dump",           "out.bin", "--baud-delay",   "460800",
       "--no-reply",     "7",         "--corrupt-offset", "0xff",    "--corrupt-page", "0x061500",
       "--unplug-after", "3",         "--garbage",        "4",       "--no-handshake", "--usb-packets",
       "--usb-frame",    "125"});
  ASSERT_TRUE(all.Ok()) << all.Failure().words;
  const DevsimOptions& options = (*all);
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
  EXPECT_EQ(options.device.delivery.packetBytes, 32u);
  EXPECT_EQ(options.device.delivery.usbFrame, std::chrono::microseconds(125));
  EXPECT_EQ((*none).device.delivery.packetBytes, 0u) << "byte by byte unless asked";
}

TEST(SimOptions, AnswerDelayJitterSeedAndDevicesEachReachTheirDevice) {
  const Result<DevsimOptions> one = ParseDevsimOptions({"--answer-delay", "200"});
  ASSERT_TRUE(one.Ok()) << one.Failure().words;
  EXPECT_EQ((*one).device.answerDelay.delay, std::chrono::microseconds(200));
  EXPECT_EQ((*one).device.answerDelay.jitter, std::chrono::microseconds(0));
  EXPECT_EQ((*one).device.wakefulness, Wakefulness::kStaysAwakeNearDue);
  EXPECT_EQ(DeviceOptions((*one), 1).linkPath, "") << "no link unless asked";

  const Result<DevsimOptions> many =
      ParseDevsimOptions({"--answer-delay", "1000:500", "--seed", "9", "--devices", "3", "--link",
                          "/tmp/ttyQ", "--dump", "f.bin"});
  ASSERT_TRUE(many.Ok()) << many.Failure().words;
  EXPECT_EQ((*many).devices, 3u);
  const PtyDeviceOptions third = DeviceOptions((*many), 3);
  EXPECT_EQ(third.linkPath, "/tmp/ttyQ3");
  EXPECT_EQ(third.answerDelay.delay, std::chrono::microseconds(1000));
  EXPECT_EQ(third.answerDelay.jitter, std::chrono::microseconds(500));
  EXPECT_EQ(third.answerDelay.seed, 11u);
  EXPECT_EQ(third.wakefulness, Wakefulness::kOnlySleeps);
  EXPECT_EQ(DevicePath((*many).dumpPath, 2, 3), "f2.bin");
  EXPECT_EQ(DevicePath("/tmp/ttyQ", 1, 1), "/tmp/ttyQ") << "one device keeps the names given";
}

TEST(SimOptions, RefusesBadCommandLinesWithAReason) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"extra"}, "unexpected argument extra"},
      {{"--fast"}, "unknown option --fast"},
      {{"--dump"}, "--dump needs a value"},
      {{"--no-reply", "-1"}, "'-1' is not a number"},
      {{"--unplug-after", "3pages"}, "'3pages' is not a number"},
      {{"--corrupt-offset", "256"}, "from 0 to 255"},
      {{"--corrupt-page", "0x100"}, "--corrupt-page needs --corrupt-offset"},
      {{"--usb-frame", "0"}, "from 1 to 1000000"},
      {{"--answer-delay", "200:"}, "'200:' is not US or US:JITTER"},
      {{"--answer-delay", "1ms"}, "'1ms' is not US or US:JITTER"},
      {{"--devices", "0"}, "from 1 to 64"},
  };
  for (const auto& [arguments, reason] : cases) {
    EXPECT_NE(ParseDevsimOptions(arguments).Failure().words.find(reason), std::string::npos) << arguments[0];
  }
}

}  // namespace
}  // namespace quillon::sim
