// A strict reader of the Intel-HEX font packages, for the tests: it checks every record and the page
// layout the station accepts, and collects the pages.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon::testing {

struct HexPackageContents {
  std::map<std::uint32_t, std::array<std::uint8_t, 256>> pages;
  std::string error;  // the first rule broken, with its line; empty for a well-formed file
};

inline std::optional<std::vector<std::uint8_t>> RecordBytes(const std::string& line) {
  if (line.size() < 11 || line[0] != ':' || line.size() % 2 != 1) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 1; i < line.size(); i += 2) {
    const std::string pair = line.substr(i, 2);
    if (pair.find_first_not_of("0123456789ABCDEF") != std::string::npos) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(pair, nullptr, 16)));
  }
  return bytes;
}

// Rules: every line a record (':' and upper-case hex digits, byte count matching, checksum summing to
// 0); data records of 32 bytes; a page begins with a record whose offset's low byte is 0 and holds
// exactly 8 records, each 32 bytes after the one before; an extended linear address record only
// between pages; no page twice; the end record ":00000001FF" last and only once.
inline HexPackageContents ReadHexPackage(const std::string& path) {
  HexPackageContents contents;
  std::ifstream file(path);
  std::string line;
  std::uint32_t upper = 0;
  std::array<std::uint8_t, 256>* page = nullptr;
  int records = 8;
  bool ended = false;
  for (int number = 1; std::getline(file, line); ++number) {
    const std::string where = "line " + std::to_string(number) + ": ";
    const auto fail = [&](const std::string& what) {
      contents.error = where + what;
      return contents;
    };
    if (ended) return fail("a record after the end record");
    const auto bytes = RecordBytes(line);
    if (!bytes) return fail("not a record");
    if (bytes->size() != (*bytes)[0] + 5u) return fail("byte count does not match the line");
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : *bytes) sum += byte;
    if (sum != 0) return fail("bad checksum");
    const std::uint32_t offset = (*bytes)[1] << 8 | (*bytes)[2];
    const std::uint8_t type = (*bytes)[3];
    if (type == 0x01) {
      if (line != ":00000001FF") return fail("unusual end record");
      if (records != 8) return fail("the last page is not whole");
      ended = true;
    } else if (type == 0x04) {
      if ((*bytes)[0] != 2 || offset != 0) return fail("bad extended linear address record");
      if (records != 8) return fail("address record inside a page");
      upper = static_cast<std::uint32_t>((*bytes)[4] << 24 | (*bytes)[5] << 16);
    } else if (type == 0x00) {
      if ((*bytes)[0] != 32) return fail("data record not of 32 bytes");
      if ((offset & 0xFF) == 0) {
        if (records != 8) return fail("page with fewer than 8 records");
        if (contents.pages.contains(upper | offset)) return fail("page written twice");
        page = &contents.pages[upper | offset];
        records = 0;
      } else if (page == nullptr || records == 8 || (offset & 0xFF) != 32u * records) {
        return fail("data record out of its page's order");
      }
      std::copy(bytes->begin() + 4, bytes->begin() + 36, page->begin() + 32 * records);
      ++records;
    } else {
      return fail("unexpected record type");
    }
  }
  if (!ended) contents.error = "no end record";
  return contents;
}

}  // namespace quillon::testing
