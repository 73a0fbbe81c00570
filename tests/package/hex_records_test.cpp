#include "package/hex_records.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(HexRecordsTest, DigitsOfEitherCaseHaveTheirValueAndAnythingElseIsZero) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('A'), 10);
  EXPECT_EQ(HexDigitValue('f'), 15);
  for (char other : {'G', 'g', ':', ' ', '\0', '/'}) EXPECT_EQ(HexDigitValue(other), 0) << other;
}

TEST(HexRecordsTest, TheFieldsOfARecordAreReadFromTheirColumns) {
  const Result<IntelHexRecord> data =
      ReadIntelHexRecord(":20ABC000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F85");
  ASSERT_TRUE(data) << data.Failure().words;
  EXPECT_EQ(data->type, kRecordData);
  EXPECT_EQ(data->loadOffset, 0xABC0u);
  EXPECT_EQ(data->byteCount, 32u);
  for (std::uint8_t i = 0; i < 32; ++i) EXPECT_EQ(data->data[i], i);

  const Result<IntelHexRecord> address = ReadIntelHexRecord(":02000004fe06f6");
  ASSERT_TRUE(address) << address.Failure().words;
  EXPECT_EQ(address->type, kRecordExtendedLinearAddress);
  EXPECT_EQ(address->byteCount, 2u);
  EXPECT_EQ(address->data[0], 0xFE);
  EXPECT_EQ(address->data[1], 0x06);
}

}  // namespace
}  // namespace quillon
