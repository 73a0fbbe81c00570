#include "program/hex_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/shared_state.h"

namespace quillon {
namespace {

void SetLine(const char* line) {
  std::memset(g_hexLine, 0, sizeof g_hexLine);
  std::strncpy(g_hexLine, line, sizeof g_hexLine - 1);
}

TEST(HexRecordsTest, DigitsOfEitherCaseHaveTheirValueAndAnythingElseIsZero) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('A'), 10);
  EXPECT_EQ(HexDigitValue('f'), 15);
  for (char other : {'G', 'g', ':', ' ', '\0', '/'}) EXPECT_EQ(HexDigitValue(other), 0) << other;
}

TEST(HexRecordsTest, TheFieldsOfADataRecordAreReadFromTheirColumns) {
  SetLine(":20ABC000000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1Fc7");
  ParseRecordType();
  ParseLoadOffset();
  ParseRecordData();
  EXPECT_EQ(g_hexRecordType, 0x00);
  EXPECT_EQ(g_hexLoadOffset, 0xABC0u);
  for (std::uint8_t i = 0; i < 32; ++i) EXPECT_EQ(g_hexRecordData[i], i);
}

TEST(HexRecordsTest, TheUpperAddressLandsInBits16To31) {
  SetLine(":02000004fe06f6");
  ParseRecordType();
  ParseUpperAddress();
  EXPECT_EQ(g_hexRecordType, 0x04);
  EXPECT_EQ(g_hexUpperAddress, 0xFE060000u);
}

}  // namespace
}  // namespace quillon
