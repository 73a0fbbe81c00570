#include "package/font_package.h"

#include <algorithm>
#include <utility>

#include "package/hex_records.h"
#include "texts/catalogue.h"

namespace quillon {
namespace {

// A record's load offset reaches this far from the base address that the address records set.
constexpr std::uint32_t kLoadOffsetSpan = 0x10000;

// What is wrong with a record, as the refusal of its file says it.
Problem Wrong(std::string words) {
  return Problem{ProblemKind::kInputRefused, std::move(words)};
}

// The lines of the file, without their line ends (a carriage return before the newline dropped). A
// line longer than a record is not read to its end: a file that is not a package may hold gigabytes
// without a line end.
class RecordLines {
 public:
  enum class Outcome { kLine, kEndOfFile, kReadError };

  explicit RecordLines(std::istream& file) : m_file(file) {}

  Outcome Next(std::string_view& line) {
    ++m_number;
    m_file.getline(m_buffer, sizeof m_buffer);
    if (m_file.bad()) return Outcome::kReadError;
    const auto extracted = static_cast<std::size_t>(m_file.gcount());
    if (m_file.fail() && extracted == 0) return Outcome::kEndOfFile;
    if (m_file.fail()) {
      // The buffer filled before the line's end: the record check refuses what it holds as too long.
      line = std::string_view(m_buffer, extracted);
      return Outcome::kLine;
    }
    // The newline counts as extracted; the last line of a file may have none.
    std::size_t length = m_file.eof() ? extracted : extracted - 1;
    if (length > 0 && m_buffer[length - 1] == '\r') --length;
    line = std::string_view(m_buffer, length);
    return Outcome::kLine;
  }

  std::size_t Number() const { return m_number; }

 private:
  std::istream& m_file;
  std::size_t m_number = 0;
  // A record, its carriage return and the terminating zero.
  char m_buffer[kLongestRecordLine + 1 + 1];
};

// Gathers data records into pages at their addresses and keeps the pages below the limit.
class PageAssembler {
 public:
  void SetBaseAddress(std::uint32_t base) { m_base = base; }

  // Puts the record's bytes in their place in the pages, or says why they have none. A record that runs
  // across a page boundary is split there: each byte lands at its own address.
  Result<void> Place(const IntelHexRecord& record) {
    if (record.byteCount == 0) return Wrong(Tr("a data record must hold at least one byte"));
    if (record.loadOffset + record.byteCount > kLoadOffsetSpan) {
      return Wrong(Tr("the data record at offset {1} runs past the 64 KiB its address record opens",
                      {HexText(record.loadOffset, 4)}));
    }
    const std::uint32_t address = m_base + record.loadOffset;
    for (std::size_t placed = 0; placed < record.byteCount;) {
      const std::uint32_t at = address + static_cast<std::uint32_t>(placed);
      const std::uint32_t pageAddress = at & ~std::uint32_t{kPageSize - 1};
      const std::size_t count =
          std::min<std::size_t>(record.byteCount - placed, pageAddress + kPageSize - at);
      if (Result<void> placedHere = PlaceInPage(address, at, record.data.data() + placed, count);
          !placedHere) {
        return placedHere;
      }
      placed += count;
    }
    return {};
  }

  // Data bytes that lie at or above the limit: checked, never written.
  std::size_t BytesLeftOut() const { return m_bytesLeftOut; }

  // The pages below the limit, the one being assembled included.
  std::vector<FontPage> TakePages() {
    KeepPage();
    return std::move(m_pages);
  }

 private:
  // Puts `count` bytes of the record that starts at `recordAddress` at `at`, all inside one page.
  Result<void> PlaceInPage(std::uint32_t recordAddress, std::uint32_t at, const std::uint8_t* bytes,
                           std::size_t count) {
    const std::uint32_t pageAddress = at & ~std::uint32_t{kPageSize - 1};
    if (!m_page || pageAddress != m_page->address) {
      if (m_page && pageAddress < m_page->address) {
        return Wrong(Tr("the data record at {1} lies in the page at {2}, below the page at {3} before it",
                        {HexText(recordAddress, 6), HexText(pageAddress, 6), HexText(m_page->address, 6)}));
      }
      KeepPage();
      m_page.emplace();
      m_page->address = pageAddress;
      m_page->bytes.fill(0xFF);  // what erased flash holds
    } else if (at < m_nextFree) {
      return Wrong(
          Tr("the data record at {1} overlaps or comes before the record before it in its page, which ends "
             "at {2}",
             {HexText(recordAddress, 6), HexText(m_nextFree - 1, 6)}));
    }
    std::copy_n(bytes, count, m_page->bytes.begin() + (at - pageAddress));
    if (pageAddress >= kFontAddressLimit) m_bytesLeftOut += count;
    m_nextFree = at + static_cast<std::uint32_t>(count);
    return {};
  }

  void KeepPage() {
    // Pages ascend: from the first at or above the limit on, none is written, so none is kept.
    if (m_page && m_page->address < kFontAddressLimit) m_pages.push_back(*m_page);
    m_page.reset();
  }

  std::uint32_t m_base = 0;
  std::optional<FontPage> m_page;  // being assembled
  std::uint32_t m_nextFree = 0;    // where the next record of m_page may start
  std::vector<FontPage> m_pages;
  std::size_t m_bytesLeftOut = 0;
};

// Windows editors begin a UTF-8 file with a byte order mark; anything else is left for the reader.
void SkipByteOrderMark(std::istream& file) {
  const std::istream::pos_type start = file.tellg();
  char mark[3] = {};
  if (file.read(mark, sizeof mark) && mark[0] == '\xEF' && mark[1] == '\xBB' && mark[2] == '\xBF') return;
  file.clear();
  file.seekg(start);
}

// What one well-formed record does to the package, or what is wrong with it.
Result<void> Apply(const IntelHexRecord& record, PageAssembler& pages) {
  switch (record.type) {
    case kRecordData:
      return pages.Place(record);
    case kRecordExtendedLinearAddress:
    case kRecordExtendedSegmentAddress: {
      if (record.byteCount != 2)
        return Wrong(Tr("an address record (type {1}) must hold 2 bytes", {HexText(record.type, 2)}));
      const std::uint32_t value = static_cast<std::uint32_t>(record.data[0] << 8 | record.data[1]);
      // Linear: the upper 16 address bits; segment: a paragraph number, 16 bytes each.
      pages.SetBaseAddress(record.type == kRecordExtendedLinearAddress ? value << 16 : value << 4);
      return {};
    }
    case kRecordStartSegmentAddress:
    case kRecordStartLinearAddress:
      return {};  // a start address means nothing to the flash
    default:
      return Wrong(Tr("record type {1} is not an Intel-HEX record type", {HexText(record.type, 2)}));
  }
}

}  // namespace

FontPackage ReadFontPackage(std::istream& file) {
  RecordLines lines(file);
  PageAssembler pages;
  FontPackage package;
  const auto refuse = [&](std::size_t line, std::string what) {
    package.problem = FontFileProblem{line, std::move(what)};
    return package;
  };
  SkipByteOrderMark(file);
  for (std::string_view line;;) {
    switch (lines.Next(line)) {
      case RecordLines::Outcome::kLine:
        break;
      case RecordLines::Outcome::kEndOfFile:
        if (lines.Number() == 1) return refuse(1, Tr("the file is empty"));
        // A copy interrupted or a download truncated: what is there is well-formed, and not all.
        return refuse(lines.Number() - 1, Tr("the file ends here without an end record: it is cut short"));
      case RecordLines::Outcome::kReadError:
        return refuse(lines.Number(), Tr("the file cannot be read on from here"));
    }
    const Result<IntelHexRecord> record = ReadIntelHexRecord(line);
    if (!record) return refuse(lines.Number(), record.Failure().words);
    if (record->type == kRecordEndOfFile) break;  // nothing after it is read
    if (const Result<void> applied = Apply(*record, pages); !applied) {
      return refuse(lines.Number(), applied.Failure().words);
    }
  }
  package.bytesLeftOut = pages.BytesLeftOut();
  package.pages = pages.TakePages();
  if (package.pages.empty()) {
    return refuse(lines.Number(), Tr("the package writes no page: it holds no data below {1}",
                                     {"0x" + HexText(kFontAddressLimit, 6)}));
  }
  return package;
}

std::string RefusedFontFileText(const std::string& fileName, const FontFileProblem& problem) {
  return Tr("{1}\n{2}, line {3}: {4}.",
            {Tr(kBadWriteFileText), fileName, std::to_string(problem.line), problem.what});
}

}  // namespace quillon
