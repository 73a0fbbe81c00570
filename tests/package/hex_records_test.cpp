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
  IntelHexRecord record;
  ASSERT_EQ(ReadIntelHexRecord(":20ABC000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F85",
                               record),
            std::nullopt);
  EXPECT_EQ(record.type, kRecordData);
  EXPECT_EQ(record.loadOffset, 0xABC0u);
  EXPECT_EQ(record.byteCount, 32u);
  for (std::uint8_t i = 0; i < 32; ++i) EXPECT_EQ(record.data[i], i);

  ASSERT_EQ(ReadIntelHexRecord(":02000004fe06f6", record), std::nullopt);
  EXPECT_EQ(record.type, kRecordExtendedLinearAddress);
  EXPECT_EQ(record.byteCount, 2u);
  EXPECT_EQ(record.data[0], 0xFE);
  EXPECT_EQ(record.data[1], 0x06);
}

}  // namespace
}  // namespace quillon
