#include "sim/flash.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "scratch_dir.h"

namespace quillon::sim {
namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(SimFlash, ProgramsAndReadsAcrossTheTopOfTheAddressSpace) {
  Flash flash;
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4};
  flash.Program(kFlashSize - 2, bytes);
  std::vector<std::uint8_t> read(4);
  flash.Read(kFlashSize - 2, read);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(flash.At(0), 3);
  EXPECT_EQ(flash.At(kFlashSize + 1), 4);
  EXPECT_EQ(flash.At(2), kErasedByte);
}

TEST(SimFlash, DumpsTheWholeImage) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  Flash flash;
  const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x00};
  flash.Program(0x061500, bytes);

  ASSERT_TRUE(flash.Dump(dir / "image.bin"));
  const std::vector<std::uint8_t> image = ReadFile(dir / "image.bin");
  ASSERT_EQ(image.size(), kFlashSize);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.Image().begin()));
  EXPECT_EQ(image[0x061501], 0x34);
  EXPECT_EQ(image[0x061503], kErasedByte);
}

TEST(SimFlash, DumpToAnUnwritablePathFails) {
  testing::ScratchDir dir;
  ASSERT_TRUE(dir.Made());
  EXPECT_FALSE(Flash().Dump(dir / "missing" / "image.bin"));
  EXPECT_FALSE(Flash().Dump(dir / ""));
}

}  // namespace
}  // namespace quillon::sim
