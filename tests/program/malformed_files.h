// Font files the station must refuse before it sends anything, each with the line at fault and words
// its message must use.
#pragma once

#include <string>
#include <vector>

#include "tests/program/hex_package.h"

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
      {"a data record of 16 bytes",
       {page0, HexRecord(0x00, 0x0020, sixteen), kEndRecord},
       2,
       "must hold 32 bytes"},
      {"data before the first page start",
       {DataRecord(0x0020, 1), page0, kEndRecord},
       1,
       "before the first page start"},
      {"a gap in a page", {page0, DataRecord(0x0040, 2), kEndRecord}, 2, "should be at 000020"},
      {"records of a page out of order",
       {page0, page0Second, DataRecord(0x0060, 3), DataRecord(0x0040, 4), kEndRecord},
       3,
       "should be at 000040"},
      {"a page continued under a new upper address",
       {page0, UpperAddressRecord(1), DataRecord(0x0020, 2), kEndRecord},
       3,
       "at 010020 should be at 000020"},
      {"a line longer than a record", {page0, page0Second + "00", kEndRecord}, 2, "77 characters"},
      {"a line without a start code",
       {page0, page0Second.substr(1), kEndRecord},
       2,
       "does not start a record"},
      {"an empty line", {page0, "", kEndRecord}, 2, "does not start a record"},
      {"a record too short for its fields", {page0, ":0000", kEndRecord}, 2, "too short"},
      {"an extended segment address", {HexRecord(0x02, 0, twoBytes), page0, kEndRecord}, 1, "type 02"},
      {"an unknown record type", {page0, HexRecord(0x06, 0, twoBytes), kEndRecord}, 2, "record type 06"},
      {"an upper address of one byte",
       {HexRecord(0x04, 0, std::vector<std::uint8_t>{1}), page0},
       1,
       "must hold 2 bytes"},
      {"an empty file", {}, 1, "empty"},
  };
}

}  // namespace quillon::testing
