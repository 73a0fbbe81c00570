// Font files the station must refuse before it sends anything, each with the line at fault and words
// its message must use.
#pragma once

#include <string>
#include <vector>

#include "tests/package/hex_package.h"

namespace quillon::testing {

struct MalformedFile {
  std::string kind;
  std::vector<std::string> lines;
  std::size_t badLine;
  std::string words;  // part of what the station says is wrong
};

inline std::vector<MalformedFile> MalformedFiles() {
  const std::string page0 = DataRecord(0x0000, 0x11);
  const std::string page0Second = DataRecord(0x0020, 0x22);
  std::string badDigit = page0Second;
  badDigit[20] = 'G';
  std::string badChecksum = page0Second;
  badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
  std::string truncated = page0Second;
  truncated.erase(40, 2);  // one data byte short of what the count says
  const std::vector<std::uint8_t> sixteen(16, 0x33);
  const std::uint8_t twoBytes[] = {0x12, 0x34};
  return {
      {"a digit that is not hexadecimal",
       {page0, badDigit, kEndRecord},
       2,
       "character 21 is not a hexadecimal"},
      {"a wrong checksum", {page0, badChecksum, kEndRecord}, 2, "checksum"},
      {"a byte count the line does not hold", {page0, truncated, kEndRecord}, 2, "the byte count says 32"},
      {"a record split at a page boundary overlapping the next one",
       {page0, HexRecord(0x00, 0x00F8, sixteen), DataRecord(0x0100, 4), kEndRecord},
       3,
       "at 000100 overlaps or comes before the record before it in its page, which ends at 000107"},
      {"records of a page out of order",
       {page0, DataRecord(0x0060, 3), DataRecord(0x0040, 4), kEndRecord},
       3,
       "at 000040 overlaps or comes before the record before it in its page, which ends at 00007F"},
      {"records of a page overlapping", {page0, HexRecord(0x00, 0x0010, sixteen)}, 2, "overlaps"},
      {"a page below the one before it",
       {DataRecord(0x0100, 1), page0, kEndRecord},
       2,
       "lies in the page at 000000, below the page at 000100"},
      {"a page below the one before it under a new upper address",
       {UpperAddressRecord(1), page0, UpperAddressRecord(0), DataRecord(0x0100, 2)},
       4,
       "below the page at 010000"},
      {"a data record without data", {page0, HexRecord(0x00, 0x0020, {})}, 2, "at least one byte"},
      {"a data record past the end of its 64 KiB",
       {HexRecord(0x00, 0xFFF8, sixteen)},
       1,
       "offset FFF8 runs past the 64 KiB"},
      {"a file cut short", {page0, page0Second}, 2, "without an end record: it is cut short"},
      {"a file of its end record alone", {kEndRecord}, 1, "writes no page"},
      {"a package wholly at or above the font area's limit",
       {UpperAddressRecord(7), page0, kEndRecord},
       3,
       "writes no page: it holds no data below 0x061500"},
      {"a line longer than a record", {page0, page0Second + "00", kEndRecord}, 2, "longer than the 75"},
      {"a line without a start code",
       {page0, page0Second.substr(1), kEndRecord},
       2,
       "does not start a record"},
      {"an empty line", {page0, "", kEndRecord}, 2, "does not start a record"},
      {"a record too short for its fields", {page0, ":0000", kEndRecord}, 2, "too short"},
      {"an unknown record type", {page0, HexRecord(0x06, 0, twoBytes), kEndRecord}, 2, "record type 06"},
      {"an upper address of one byte",
       {HexRecord(0x04, 0, std::vector<std::uint8_t>{1}), page0},
       1,
       "must hold 2 bytes"},
      {"an empty file", {}, 1, "empty"},
  };
}

}  // namespace quillon::testing
