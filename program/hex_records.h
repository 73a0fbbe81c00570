// The fields of one Intel-HEX record, read from the line in g_hexLine. They read digits only: whether
// the line is a well-formed record is the font file check's business, done before any line gets here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon {

inline constexpr std::uint8_t kRecordData = 0x00;
inline constexpr std::uint8_t kRecordEndOfFile = 0x01;
inline constexpr std::uint8_t kRecordExtendedSegmentAddress = 0x02;
inline constexpr std::uint8_t kRecordStartSegmentAddress = 0x03;
inline constexpr std::uint8_t kRecordExtendedLinearAddress = 0x04;
inline constexpr std::uint8_t kRecordStartLinearAddress = 0x05;

// A package's data records each hold one 32-byte chunk of a page.
inline constexpr std::size_t kRecordDataBytes = 32;

// ':', the byte count, the load offset and the record type come before a record's data.
inline constexpr std::size_t kRecordDataColumn = 9;

// '0'..'9', 'A'..'F' and 'a'..'f' give their value; any other character 0.
std::uint8_t HexDigitValue(char character);

void ParseRecordType();    // g_hexRecordType from columns 7..8
void ParseLoadOffset();    // g_hexLoadOffset from columns 3..6
void ParseUpperAddress();  // g_hexUpperAddress from columns 9..12, shifted to bits 16..31
void ParseRecordData();    // g_hexRecordData from the 64 digits from column 9 on

}  // namespace quillon
