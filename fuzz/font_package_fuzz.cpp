// Any bytes as a font package file. The check either refuses the file at a line of it, or accepts it
// with exactly the pages that a small decode of its records, written here independently, places at
// their addresses (every byte no record fills is 0xFF). Memory stays bounded whatever the file holds.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "package/font_package.h"
#include "texts/catalogue.h"

namespace {

using quillon::fuzz::Require;
using Page = std::array<std::uint8_t, 256>;

std::optional<int> DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return std::nullopt;
}

// The bytes of a record line (count, offset, type, data, checksum) when the line is one: ':' and pairs
// of hexadecimal digits whose count byte and checksum agree with them.
std::optional<std::vector<std::uint8_t>> RecordBytes(std::string_view line) {
  if (line.size() < 11 || line[0] != ':' || line.size() % 2 == 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::uint8_t sum = 0;
  for (std::size_t i = 1; i < line.size(); i += 2) {
    const auto high = DigitValue(line[i]);
    const auto low = DigitValue(line[i + 1]);
    if (!high || !low) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*high * 16 + *low));
    sum = static_cast<std::uint8_t>(sum + bytes.back());
  }
  if (sum != 0 || bytes[0] + 5u != bytes.size()) return std::nullopt;
  return bytes;
}

std::vector<std::string_view> Lines(std::string_view file) {
  std::vector<std::string_view> lines;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
  }
  return lines;
}

// Every data record's bytes at base + offset, up to the end record; pages below the font limit. No
// value when a line before the end record is no record at all: the check must not have accepted that.
std::optional<std::map<std::uint32_t, Page>> ReferencePages(const std::vector<std::string_view>& lines) {
  std::map<std::uint32_t, Page> pages;
  std::uint32_t base = 0;
  for (std::string_view line : lines) {
    const auto bytes = RecordBytes(line);
    if (!bytes) return std::nullopt;
    const std::uint8_t type = (*bytes)[3];
    if (type == 0x01) break;
    const std::uint32_t offset = static_cast<std::uint32_t>((*bytes)[1] << 8 | (*bytes)[2]);
    const std::uint32_t value =
        bytes->size() >= 7 ? static_cast<std::uint32_t>((*bytes)[4] << 8 | (*bytes)[5]) : 0;
    if (type == 0x04) base = value << 16;
    if (type == 0x02) base = value << 4;
    if (type != 0x00) continue;
    for (std::size_t i = 4; i + 1 < bytes->size(); ++i) {
      const std::uint32_t address = base + offset + static_cast<std::uint32_t>(i - 4);
      auto [page, fresh] = pages.try_emplace(address & ~0xFFu);
      if (fresh) page->second.fill(0xFF);
      page->second[address & 0xFF] = (*bytes)[i];
    }
  }
  std::erase_if(pages, [](const auto& page) { return page.first >= quillon::kFontAddressLimit; });
  return pages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The promises below are worded in the refusal's English.
  quillon::SetLanguage(quillon::Language::kEnglish);
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream file(text);
  const quillon::FontPackage package = quillon::ReadFontPackage(file);
  const std::vector<std::string_view> lines = Lines(text);

  if (package.problem) {
    Require(package.pages.empty(), "a refused file yields no page");
    Require(package.problem->line >= 1 && package.problem->line <= std::max<std::size_t>(lines.size(), 1),
            "a refusal names a line of the file");
    Require(!package.problem->what.empty(), "a refusal says what is wrong");
    const std::string box = quillon::RefusedFontFileText("flash.txt", *package.problem);
    Require(box.find("flash.txt, line " + std::to_string(package.problem->line) + ": ") != std::string::npos,
            "the operator's box names the file and the line");
    return 0;
  }
  const auto reference = ReferencePages(lines);
  Require(reference.has_value(), "an accepted file holds only records up to its end record");
  Require(package.pages.size() == reference->size(), "an accepted file yields the pages its records fill");
  auto expected = reference->begin();
  for (const quillon::FontPage& page : package.pages) {
    Require(page.address == expected->first, "pages lie at their records' addresses, ascending");
    Require(page.bytes == expected->second, "a page holds its records' bytes, 0xFF elsewhere");
    ++expected;
  }
  return 0;
}
