// The check a font package passes before the device is touched: every line up to the end record a
// well-formed Intel-HEX record, laid out as the font file job writes it. A pure function of the lines,
// so a file is judged in full before its first page goes out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// The longest line the job reads: a data record of 32 bytes.
inline constexpr std::size_t kLongestRecordLine = 75;

struct FontFileProblem {
  std::size_t line = 0;  // counted from 1
  std::string what;

  bool operator==(const FontFileProblem&) const = default;
};

// The lines as read from the file, without their line ends. No value: the job can write the file.
std::optional<FontFileProblem> CheckFontFile(const std::vector<std::string>& lines);

// The first line of the box that refuses a file.
inline constexpr char kBadWriteFileText[] = "写入文件格式错误!!!";

// The box's text: the first line above, then where the file is wrong and how.
std::string RefusedFontFileText(const std::string& fileName, const FontFileProblem& problem);

}  // namespace quillon
