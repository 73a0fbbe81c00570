#include "sim/flash.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "link/os/temporary_directory.h"

namespace quillon::sim {
namespace {

TEST(SimFlash, DumpsTheWholeImageOrSaysItCouldNot) {
  TemporaryDirectory dir{"quillon-sim"};
  ASSERT_TRUE(dir.Made());
  Flash flash;
  flash.Program(0x061500, std::vector<std::uint8_t>{0x12, 0x34});

  ASSERT_TRUE(flash.Dump(dir / "image.bin"));
  std::ifstream file(dir / "image.bin", std::ios::binary);
  const std::vector<char> image{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(image.size(), kFlashSize);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.Image().begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
  EXPECT_EQ(image[0x061501], 0x34);

  EXPECT_FALSE(flash.Dump(dir / "missing" / "image.bin"));
}

}  // namespace
}  // namespace quillon::sim
